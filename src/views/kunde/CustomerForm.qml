import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../controls"

// The customer form: every input of a customer and, behind "Gewerblich", of
// its commercial record, in a scrolling two-column grid with the buttons at
// the end. It is layout only: each input is named by the body key it fills,
// and a CustomerFormController beside it fills the inputs from a record and
// collects them again; the host sends what it collects when "Speichern" is
// pressed.
Flickable {
    id: _form

    // whether the user may switch "Gewerblich" (a stored customer keeps its kind)
    property bool commercialEditable: true
    // colour of the captions of the customer's own inputs
    property color captionColor: Colors.c_form_font
    // colour of the captions of the four business inputs
    property color businessCaptionColor: Colors.c_form_font_darker
    // what an empty text input shows in its place (the text itself stays empty)
    property string emptyPlaceholder: ""
    // whether the "Abbrechen" button is offered
    property bool cancelVisible: false
    // whether "Speichern" can be pressed (hosts switch it off while a save is outstanding)
    property bool saveEnabled: true
    // true: "Speichern" shows that Return presses it (the host's popup does so)
    property bool saveIsDefault: false
    // "Speichern"
    readonly property alias saveButton: _save
    // "Gewerblich": checked shows the four business inputs
    property alias commercial: _commercialability.checked
    // the most characters the note ("Infofeld") keeps
    readonly property int infoMaxLength: 254
    // the country a new form starts with ("Deutschland")
    readonly property int defaultCountry: 36
    // the text "Treibstoffzuschlag" starts with on a new form
    readonly property string defaultFuelSurcharge: "0.0"
    // the content height without business inputs and with a one-line note (unscaled)
    property real contentFlickableValueDefault: 600
    // content height added per further line of the note (unscaled)
    property real incDecValueLineChanged: 20
    // content height added while the business inputs are shown (unscaled)
    property real incDecValueCommercialStateChanged: 100

    // the customer's text inputs by the key of the customer body they fill
    readonly property var texts: ({
        "surname": _surname, "lastname": _lastname, "address_street_no": _address_street_no,
        "address_zipcode": _address_zipcode, "address_town": _address_town,
        "address_province": _address_province, "phone": _phone, "fax": _fax, "email": _email,
        "info": _info
    })
    // "Land", over the country catalogue
    readonly property alias country: _country

    // "Speichern" was pressed
    signal saveClicked()
    // "Abbrechen" was pressed
    signal cancelClicked()

    // The business input that fills the commercial body's key `key`; null for none.
    function businessText(key) {
        for (var i = 0; i < _business.count; ++i) {
            if (_business.itemAt(i).objectName === key)
                return _business.itemAt(i)
        }
        return null
    }

    // the height the grid needs, with a margin below the buttons
    property real _gridBottom: 0

    clip: true
    contentWidth: width
    // grows with the business inputs and the note's lines, and never hides the buttons
    contentHeight: Math.max((contentFlickableValueDefault
                             + (_commercialability.checked ? incDecValueCommercialStateChanged : 0)
                             + incDecValueLineChanged * Math.max(0, _info.lineCount - 1)) * c_Scale,
                            _gridBottom)
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {
        policy: ScrollBar.AlwaysOn
    }

    // Tab and clicks never leave the field in use below the visible part
    FocusScroller {
        flickable: _form
    }

    Countrys {
        id: _countries
    }

    GridLayout {
        id: _grid

        // the width of one of the two columns
        readonly property real cellWidth: (width - columnSpacing) / 2

        x: 40 * c_Scale
        y: 30 * c_Scale
        width: _form.width - 2 * x
        columns: 2
        columnSpacing: 40 * c_Scale
        rowSpacing: 25 * c_Scale
        // kept apart from the content height's binding: reading a layout's size lays it out
        onImplicitHeightChanged: _form._gridBottom = y + implicitHeight + 40 * c_Scale

        FormTextField {
            id: _surname
            objectName: "surname"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Vorname")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _lastname
            objectName: "lastname"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Nachname")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _address_street_no
            objectName: "address_street_no"
            Layout.fillWidth: true
            Layout.columnSpan: 2
            label: qsTr("Strasse und Hausnummer")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _address_zipcode
            objectName: "address_zipcode"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Postleitzahl")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _address_town
            objectName: "address_town"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Stadt")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _address_province
            objectName: "address_province"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Provinz")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormComboBox {
            id: _country
            objectName: "address_country"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Land")
            labelColor: _form.captionColor
            model: _countries
            currentIndex: _form.defaultCountry
        }

        FormTextField {
            id: _phone
            objectName: "phone"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Telefon")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _fax
            objectName: "fax"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Telefax")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _email
            objectName: "email"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Email")
            labelColor: _form.captionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        ColumnLayout {
            Layout.preferredWidth: _grid.cellWidth
            Layout.alignment: Qt.AlignTop
            spacing: 2 * c_Scale

            FormLabel {
                Layout.fillWidth: true
                text: qsTr("Gewerblich")
                color: _form.captionColor
            }

            CheckBox {
                id: _commercialability
                objectName: "commercialability"
                Accessible.name: qsTr("Gewerblich")
                leftPadding: 0
                enabled: _form.commercialEditable
            }
        }

        // the backend keeps no longer note than infoMaxLength
        FormTextArea {
            id: _info
            objectName: "info"
            Layout.fillWidth: true
            Layout.columnSpan: 2
            Layout.rowSpan: 2
            label: qsTr("Infofeld")
            labelColor: _form.captionColor
            placeholderText: _form.emptyPlaceholder
            maxLength: _form.infoMaxLength
            nextItem: _commercialability.checked && _business.count > 0 ? _business.itemAt(0).field : _save
        }

        // the inputs of a business customer's commercial record, each named by
        // the commercial body's key it fills
        Repeater {
            id: _business

            model: [
                { name: "company", label: qsTr("Firma") },
                { name: "contact_person", label: qsTr("Ansprechpartner") },
                { name: "vatid", label: qsTr("UstIdNr") },
                { name: "fuel_surcharge", label: qsTr("Treibstoffzuschlag") }
            ]

            FormTextField {
                // what the input starts with, and shows while it is empty: "0.0" for the fuel surcharge
                readonly property string initial: modelData.name === "fuel_surcharge" ? _form.defaultFuelSurcharge : ""

                objectName: modelData.name
                Layout.preferredWidth: _grid.cellWidth
                visible: _commercialability.checked
                label: modelData.label
                labelColor: _form.businessCaptionColor
                text: initial
                field.placeholderText: initial !== "" ? initial : _form.emptyPlaceholder
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.columnSpan: 2
            Layout.topMargin: 10 * c_Scale
            spacing: 40 * c_Scale

            DefaultButton {
                id: _save

                objectName: "saveButton"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                text: qsTr("Speichern")
                isDefault: _form.saveIsDefault
                enabled: _form.saveEnabled
                // Tab goes round the form, never on to pages out of sight
                KeyNavigation.tab: _form.cancelVisible ? _cancel : _surname.field
                onClicked: _form.saveClicked()
            }

            Button {
                id: _cancel

                objectName: "cancelButton"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                visible: _form.cancelVisible
                NoShadowLayer { target: _cancel.background }
                text: qsTr("Abbrechen")
                KeyNavigation.tab: _surname.field
                onClicked: _form.cancelClicked()
            }
        }
    }
}
