import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

import "../../controls"
import "../../../static"
import "../../../static/colors.js" as Colors

// The fields of one order, laid out in two columns, for capturing a new order
// and for changing one. It is layout only: each field is named by the key of
// the order body it fills, and an OrderFormController beside it fills the
// fields from an order record and collects them again. The host places the
// form (and scrolls it) and sends the order when `saveClicked` comes.
// - New order: `customerEditable` true; the host answers `customerSearch(text)`
//   with the search reply, through the controller's offerCustomers().
// - Change of an order: `customerEditable` false, `customerLabel`
//   "Kundenname", a `title`.
Item {
    id: _form

    // the heading above the fields, with a rule below it; none when empty
    property string title: ""
    // true: the customer is picked from suggestions (new order); false: shown read-only
    property bool customerEditable: true
    // the customer field's label
    property string customerLabel: qsTr("Name")
    // whether the boxes "dox" and "nox" are shown (they belong to no order)
    property bool showDoxNox: true
    // the colour of every label
    property color labelColor: Colors.c_form_font
    // true while the host's save is under way: "Speichern" cannot be pressed again
    property bool saving: false
    // true: "Speichern" shows that Return presses it (the host's popup does so)
    property bool saveIsDefault: false
    // the customer's name as the field shows it
    readonly property alias customerName: _customer.name
    // the text inputs (the date among them) by the order body's key they fill
    readonly property var texts: ({
        "datum": _datum, "belegnummer": _belegnummer, "referenz": _referenz, "textbeschreibung": _text,
        "gewicht": _gewicht, "verkaufspreis": _verkaufspreis, "einkaufspreis": _einkaufspreis
    })
    // the drop-downs over a catalogue by the order body's key they fill (with a position)
    readonly property var catalogues: ({
        "sendungsart": _sendungsart, "versandpartner": _versandpartner, "richtung": _richtung
    })
    // the drop-down of the percentage types, over taxModel
    readonly property alias taxField: _prozentart
    // the percentage types ("id", "key")
    readonly property alias taxModel: _taxes
    // the suggestions field of the customer (when `customerEditable`)
    readonly property alias customerField: _customer.suggestions
    // "Speichern"
    readonly property alias saveButton: _save

    // the user pressed "Speichern"
    signal saveClicked()
    // the customer field wants suggestions for `text`
    signal customerSearch(string text)

    // Shows `name` as the customer's, in the field the form shows.
    function showCustomerName(name) {
        _customer.show(name)
    }

    // The option box named `name`: a key of the order body, or "dox" or "nox"
    // (which fill none); null when there is none.
    function option(name) {
        var repeaters = [_options, _surcharges]
        for (var r = 0; r < repeaters.length; ++r) {
            for (var i = 0; i < repeaters[r].count; ++i) {
                if (repeaters[r].itemAt(i).objectName === name)
                    return repeaters[r].itemAt(i)
            }
        }
        return null
    }

    implicitWidth: _grid.implicitWidth
    implicitHeight: _grid.implicitHeight

    ListModel {
        id: _taxes
    }

    GridLayout {
        id: _grid

        anchors.left: parent.left
        anchors.right: parent.right
        // both columns equally wide
        readonly property real cellWidth: (width - columnSpacing) / 2

        columns: 2
        columnSpacing: 40 * c_Scale
        rowSpacing: 25 * c_Scale

        Text {
            objectName: "title"
            Layout.columnSpan: 2
            Layout.fillWidth: true
            visible: _form.title !== ""
            text: _form.title
            color: _form.labelColor
            font.family: CustomFonts.names.montserrat
            font.pixelSize: 30 * c_Scale
        }

        Rectangle {
            Layout.columnSpan: 2
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            visible: _form.title !== ""
            color: _form.labelColor
        }

        // the customer; its suggestions lie above the fields below
        OrderCustomerField {
            id: _customer

            Layout.columnSpan: 2
            Layout.fillWidth: true
            z: 3
            label: _form.customerLabel
            labelColor: _form.labelColor
            editable: _form.customerEditable

            onSearch: _form.customerSearch(text)
        }

        FormTextField {
            id: _belegnummer
            objectName: "belegnummer"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Belegnummer")
            labelColor: _form.labelColor
        }

        CalendarDateField {
            id: _datum
            objectName: "datum"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Datum")
            labelColor: _form.labelColor
        }

        FormTextField {
            id: _referenz
            objectName: "referenz"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Referenz")
            labelColor: _form.labelColor
        }

        FormTextField {
            id: _text
            objectName: "text"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Text")
            labelColor: _form.labelColor
        }

        FormTextField {
            id: _gewicht
            objectName: "gewicht"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Gewicht")
            labelColor: _form.labelColor
        }

        FormComboBox {
            id: _versandpartner
            objectName: "versandpartner"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Versandpartner")
            labelColor: _form.labelColor
            model: Versandpartner {}
        }

        FormComboBox {
            id: _sendungsart
            objectName: "sendungsart"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Sendungsart")
            labelColor: _form.labelColor
            model: Sendungsart {}
        }

        FormComboBox {
            id: _richtung
            objectName: "richtung"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Richtung")
            labelColor: _form.labelColor
            model: Richtungen {}
        }

        FormComboBox {
            id: _prozentart
            objectName: "prozentart"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Prozentart")
            labelColor: _form.labelColor
            model: _taxes
        }

        FormTextField {
            id: _verkaufspreis
            objectName: "verkaufspreis"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Verkaufspreis")
            labelColor: _form.labelColor
        }

        FormTextField {
            id: _einkaufspreis
            objectName: "einkaufspreis"
            Layout.columnSpan: 2
            // alone in its row, as wide as the others
            Layout.fillWidth: false
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Einkaufspreis")
            labelColor: _form.labelColor
        }

        // the option boxes, two to a row: the name each has (the order body's
        // key it fills), its text, and whether an amount goes with it
        Repeater {
            id: _options

            model: [
                { name: "dox", text: qsTr("dox") },
                { name: "nox", text: qsTr("nox") },
                { name: "zustellung_im_aussengebiet", text: qsTr("Zustellung im Aussengebiet") },
                { name: "abholung_im_aussengebiet", text: qsTr("Abholung im Aussengebiet") },
                { name: "zustellung_samstags", text: qsTr("Zustellung Samstags ") },
                { name: "abholung_samstags", text: qsTr("Abholung Samstags ") },
                { name: "praemie_fuer_transportversicherung", text: qsTr("Prämie für Transportversicherung "),
                  amount: true },
                { name: "gebuehr_fuer_erstellung_einer_ae", text: qsTr("Gebühr für Erstellung einer AE ") },
                { name: "gebuehr_fuer_kein_envelope", text: qsTr("Falsche Option ausgewählt, kein Envelope ") },
                { name: "zeitfensterzustellung", text: qsTr("Zeitfensterzustellung "), amount: true }
            ]

            FormCheckBox {
                objectName: modelData.name
                Layout.preferredWidth: _grid.cellWidth
                visible: _form.showDoxNox || (modelData.name !== "dox" && modelData.name !== "nox")
                text: modelData.text
                labelColor: _form.labelColor
                hasAmount: modelData.amount === true
            }
        }

        GroupBox {
            objectName: "zuschlaege"
            Layout.columnSpan: 2
            Layout.fillWidth: true
            title: qsTr("Zuschläge")
            Material.foreground: _form.labelColor

            GridLayout {
                anchors.left: parent.left
                anchors.right: parent.right
                columns: 2
                columnSpacing: 40 * c_Scale

                Repeater {
                    id: _surcharges

                    model: [
                        { name: "versand_oversized", text: qsTr("Versand Oversized ") },
                        { name: "versand_heavy_weight", text: qsTr("Versand Heavy Weight ") },
                        { name: "gebuehr_fuer_zusaetzliche_handhabung", text: qsTr("Gebühr für zusätzliche Handhabung ") },
                        { name: "versand_nicht_stapelbare_palette", text: qsTr("Versand nicht stapelbare Palette ") }
                    ]

                    FormCheckBox {
                        objectName: modelData.name
                        Layout.fillWidth: true
                        text: modelData.text
                        labelColor: _form.labelColor
                    }
                }
            }
        }

        DefaultButton {
            id: _save

            objectName: "saveButton"
            Layout.columnSpan: 2
            Layout.fillWidth: true
            text: qsTr("Speichern")
            isDefault: _form.saveIsDefault
            enabled: !_form.saving
            // Tab goes round the form, never on to pages out of sight
            KeyNavigation.tab: _form.customerEditable ? _customer.suggestions.textfield : _belegnummer.field
            onClicked: _form.saveClicked()
        }
    }
}
