import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

import "../../controls"
import "../../../static"
import "../../../static/colors.js" as Colors
import "../../api/request.js" as Request

// The fields of one order, laid out in two columns, for capturing a new order
// and for changing one. The host places it (and scrolls it), loads the tax
// rows into it, and sends what `collect()` returns when `saveClicked` comes.
// The form itself sends nothing.
// - New order: `customerEditable` true; answer `customerSearch(text)` with the
//   search reply through `offerCustomers`; send collect() and `customerId`.
// - Change of an order: `customerEditable` false, `customerLabel`
//   "Kundenname", a `title`; setTaxes(rows), then fill(record); send collect().
Item {
    id: _form

    // the heading above the fields, with a rule below it; none when empty
    property string title: ""
    // true: the customer is picked from suggestions (new order); false: shown read-only
    property bool customerEditable: true
    // the customer field's label
    property string customerLabel: qsTr("Name")
    // whether the boxes "dox" and "nox" are shown (they are never sent)
    property bool showDoxNox: true
    // the colour of every label
    property color labelColor: Colors.c_form_font
    // true while the host's save is under way: "Speichern" cannot be pressed again
    property bool saving: false
    // true: "Speichern" shows that Return presses it (the host's popup does so)
    property bool saveIsDefault: false
    // the picked customer's id as text; "" while none is picked (or the name was changed since)
    property string customerId: ""
    // the customer's name as the field shows it
    readonly property string customerName: customerEditable ? _customerSuggestions.controlText : _customerReadOnly.text
    // the percentage types ("id", "key"), filled by setTaxes()
    readonly property alias taxModel: _taxes
    // the suggestions field of the customer (when `customerEditable`)
    readonly property alias customerField: _customerSuggestions
    // "Speichern"
    readonly property alias saveButton: _save

    // the user pressed "Speichern"
    signal saveClicked()
    // the customer field wants suggestions for `text`; answer with offerCustomers()
    signal customerSearch(string text)

    // The 25 order values in the order of the order body, customer excluded:
    // date, document number, reference, text, weight, the positions of shipment
    // type, shipping partner and direction, the chosen tax row's id (null when
    // none is chosen), sales and purchase price, then the options; each amount
    // only while its box is checked, else "".
    function collect() {
        return [_datum.text, _belegnummer.text, _referenz.text, _text.text, _gewicht.text,
                _sendungsart.currentIndex, _versandpartner.currentIndex, _richtung.currentIndex,
                _private.chosenTaxId(), _verkaufspreis.text, _einkaufspreis.text,
                _zustellungAussen.checked, _abholungAussen.checked, _oversized.checked, _heavyWeight.checked,
                _palette.checked, _zustellungSamstags.checked, _abholungSamstags.checked, _handhabung.checked,
                _praemie.checked, _praemie.checked ? _praemie.amount : "",
                _ae.checked, _envelope.checked,
                _zeitfenster.checked, _zeitfenster.checked ? _zeitfenster.amount : ""]
    }

    // Empties every field and box, puts every drop-down on its first row and
    // forgets the picked customer.
    function clear() {
        _private.pickedName = ""
        customerId = ""
        _customerSuggestions.controlText = ""
        _customerSuggestions.searchListModel.clear()
        _customerSuggestions.searchfield.visible = false
        _customerReadOnly.text = ""
        var texts = [_belegnummer, _datum, _referenz, _text, _gewicht, _verkaufspreis, _einkaufspreis]
        for (var i = 0; i < texts.length; ++i)
            texts[i].text = ""
        _datum.closeCalendar()
        _sendungsart.currentIndex = 0
        _versandpartner.currentIndex = 0
        _richtung.currentIndex = 0
        _prozentart.currentIndex = _taxes.count > 0 ? 0 : -1
        var boxes = _private.checkBoxes()
        for (var j = 0; j < boxes.length; ++j) {
            boxes[j].checked = false
            boxes[j].amount = ""
        }
    }

    // Fills the form from an order record: customer name (only when both names
    // are there), texts, positions, the tax row whose text is the record's
    // (none when no row has it), the options and both amounts (also when their
    // box is unchecked, so that they are back when it is checked). "dox" and
    // "nox" stay as they are.
    function fill(record) {
        var customer = record.customer_assignment
        var name = customer && _private.text(customer.surname) !== "" && _private.text(customer.lastname) !== ""
                ? customer.surname + " " + customer.lastname : ""
        _private.pickedName = name
        if (customerEditable)
            _customerSuggestions.controlText = name
        else
            _customerReadOnly.text = name
        customerId = customer && customer.id !== undefined && customer.id !== null ? String(customer.id) : ""
        _belegnummer.text = _private.text(record.belegnummer)
        _datum.text = _private.text(record.datum)
        _referenz.text = _private.text(record.referenz)
        _text.text = _private.text(record.textbeschreibung)
        _gewicht.text = _private.text(record.gewicht)
        _verkaufspreis.text = _private.text(record.verkaufspreis)
        _einkaufspreis.text = _private.text(record.einkaufspreis)
        _versandpartner.currentIndex = _private.position(record.versandpartner, _versandpartner.box.count)
        // this preselects a tax row; the record's own row replaces it below
        _sendungsart.currentIndex = _private.position(record.sendungsart, _sendungsart.box.count)
        _richtung.currentIndex = _private.position(record.richtung, _richtung.box.count)
        _prozentart.currentIndex = _private.taxIndexOfText(record.taxes ? record.taxes.tax : undefined)
        _zustellungAussen.checked = record.zustellung_im_aussengebiet === true
        _abholungAussen.checked = record.abholung_im_aussengebiet === true
        _zustellungSamstags.checked = record.zustellung_samstags === true
        _abholungSamstags.checked = record.abholung_samstags === true
        _praemie.checked = record.praemie_fuer_transportversicherung === true
        _praemie.amount = _private.text(record.betrag_fuer_praemie_fuer_transportversicherung)
        _ae.checked = record.gebuehr_fuer_erstellung_einer_ae === true
        _envelope.checked = record.gebuehr_fuer_kein_envelope === true
        _zeitfenster.checked = record.zeitfensterzustellung === true
        _zeitfenster.amount = _private.text(record.betrag_fuer_zeitfenstereinstellungen)
        _oversized.checked = record.versand_oversized === true
        _heavyWeight.checked = record.versand_heavy_weight === true
        _handhabung.checked = record.gebuehr_fuer_zusaetzliche_handhabung === true
        _palette.checked = record.versand_nicht_stapelbare_palette === true
    }

    // Replaces the percentage types with the tax rows `rows` ("id", "tax"), in
    // their order. The chosen row stays chosen when it is among them; otherwise
    // the choice follows the shipment type (see preselectTax).
    function setTaxes(rows) {
        var previous = _private.chosenTaxId()
        _taxes.clear()
        for (var i = 0; i < rows.length; ++i)
            _taxes.append({ "id": rows[i].id, "key": _private.text(rows[i].tax) })
        var kept = -1
        for (var j = 0; previous !== null && j < _taxes.count; ++j) {
            if (_taxes.get(j).id === previous)
                kept = j
        }
        if (kept >= 0)
            _prozentart.currentIndex = kept
        else
            preselectTax()
    }

    // Chooses the tax row that goes with the shipment type: the second row for
    // a worldwide express type ("WW Express" in its name), else the first; the
    // last row that exists when there are fewer; none without rows.
    function preselectTax() {
        var wanted = _sendungsart.displayText.indexOf("WW Express") >= 0 ? 1 : 0
        _prozentart.currentIndex = Math.min(wanted, _taxes.count - 1)
    }

    // Shows the customers of a search reply as suggestions: a list of
    // customer records, or anything else for none (no hits, or a failure).
    // A single hit that is the name typed closes the box.
    function offerCustomers(reply) {
        var field = _customerSuggestions
        field.searchListModel.clear()
        if (!Request.isList(reply) || reply.length === 0) {
            field.searchfield.visible = false
            return
        }
        // a row holds what the suggestion shows and what picking it needs; whole
        // records would give the list roles of changing types (and nulls it
        // cannot hold)
        for (var i = 0; i < reply.length; ++i) {
            field.searchListModel.append({ "id": reply[i].id, "surname": _private.text(reply[i].surname),
                                           "lastname": _private.text(reply[i].lastname) })
        }
        if (reply.length === 1 && field.keyText(reply[0]) === field.controlText)
            field.searchfield.visible = false
    }

    implicitWidth: _grid.implicitWidth
    implicitHeight: _grid.implicitHeight

    QtObject {
        id: _private

        // the customer name the picked id belongs to
        property string pickedName: ""

        // A record's value as field text ("" for none).
        function text(value) {
            return value === undefined || value === null ? "" : String(value)
        }

        // A catalogue position of a record, or -1 when the catalogue has no such row.
        function position(value, count) {
            return typeof value === "number" && value >= 0 && value < count ? value : -1
        }

        // The id of the chosen tax row, or null.
        function chosenTaxId() {
            var index = _prozentart.currentIndex
            return index >= 0 && index < _taxes.count ? _taxes.get(index).id : null
        }

        // The position of the tax row with the text `tax`, or -1.
        function taxIndexOfText(tax) {
            for (var i = 0; tax !== undefined && i < _taxes.count; ++i) {
                if (_taxes.get(i).key === String(tax))
                    return i
            }
            return -1
        }

        // Every option box, "dox" and "nox" included.
        function checkBoxes() {
            return [_dox, _nox, _zustellungAussen, _abholungAussen, _zustellungSamstags, _abholungSamstags,
                    _praemie, _ae, _envelope, _zeitfenster, _oversized, _heavyWeight, _handhabung, _palette]
        }
    }

    ListModel {
        id: _taxes
    }

    Sendungsart {
        id: _sendungsarten
    }

    Versandpartner {
        id: _versandpartnerListe
    }

    Richtungen {
        id: _richtungen
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
        ColumnLayout {
            Layout.columnSpan: 2
            Layout.fillWidth: true
            spacing: 2 * c_Scale
            z: 3

            FormLabel {
                Layout.fillWidth: true
                text: _form.customerLabel
                color: _form.labelColor
            }

            SuggestionsField {
                id: _customerSuggestions

                objectName: "customerField"
                Layout.fillWidth: true
                Layout.preferredHeight: 53 * c_Scale
                visible: _form.customerEditable
                delegate_name: "customer_fullname"

                function makeRequest(text) {
                    _form.customerSearch(text)
                }

                onItemclicked: {
                    var row = searchListModel.get(index)
                    _private.pickedName = keyText(row)
                    _form.customerId = String(row.id)
                }
                // an order goes to the customer whose name the field shows, or to none
                onControlTextChanged: {
                    if (controlText !== _private.pickedName)
                        _form.customerId = ""
                }
            }

            TextField {
                id: _customerReadOnly

                objectName: "customerReadOnly"
                Layout.fillWidth: true
                visible: !_form.customerEditable
                readOnly: true
                // a long name shows its beginning
                onTextChanged: if (!activeFocus) cursorPosition = 0
            }
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
            model: _versandpartnerListe
        }

        FormComboBox {
            id: _sendungsart
            objectName: "sendungsart"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Sendungsart")
            labelColor: _form.labelColor
            model: _sendungsarten

            onDisplayTextChanged: _form.preselectTax()
        }

        FormComboBox {
            id: _richtung
            objectName: "richtung"
            Layout.preferredWidth: _grid.cellWidth
            label: qsTr("Richtung")
            labelColor: _form.labelColor
            model: _richtungen
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

        FormCheckBox {
            id: _dox
            objectName: "dox"
            Layout.preferredWidth: _grid.cellWidth
            visible: _form.showDoxNox
            text: qsTr("dox")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _nox
            objectName: "nox"
            Layout.preferredWidth: _grid.cellWidth
            visible: _form.showDoxNox
            text: qsTr("nox")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _zustellungAussen
            objectName: "zustellung_im_aussengebiet"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Zustellung im Aussengebiet")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _abholungAussen
            objectName: "abholung_im_aussengebiet"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Abholung im Aussengebiet")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _zustellungSamstags
            objectName: "zustellung_samstags"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Zustellung Samstags ")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _abholungSamstags
            objectName: "abholung_samstags"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Abholung Samstags ")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _praemie
            objectName: "praemie_fuer_transportversicherung"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Prämie für Transportversicherung ")
            labelColor: _form.labelColor
            hasAmount: true
        }

        FormCheckBox {
            id: _ae
            objectName: "gebuehr_fuer_erstellung_einer_ae"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Gebühr für Erstellung einer AE ")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _envelope
            objectName: "gebuehr_fuer_kein_envelope"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Falsche Option ausgewählt, kein Envelope ")
            labelColor: _form.labelColor
        }

        FormCheckBox {
            id: _zeitfenster
            objectName: "zeitfensterzustellung"
            Layout.preferredWidth: _grid.cellWidth
            text: qsTr("Zeitfensterzustellung ")
            labelColor: _form.labelColor
            hasAmount: true
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

                FormCheckBox {
                    id: _oversized
                    objectName: "versand_oversized"
                    Layout.fillWidth: true
                    text: qsTr("Versand Oversized ")
                    labelColor: _form.labelColor
                }

                FormCheckBox {
                    id: _heavyWeight
                    objectName: "versand_heavy_weight"
                    Layout.fillWidth: true
                    text: qsTr("Versand Heavy Weight ")
                    labelColor: _form.labelColor
                }

                FormCheckBox {
                    id: _handhabung
                    objectName: "gebuehr_fuer_zusaetzliche_handhabung"
                    Layout.fillWidth: true
                    text: qsTr("Gebühr für zusätzliche Handhabung ")
                    labelColor: _form.labelColor
                }

                FormCheckBox {
                    id: _palette
                    objectName: "versand_nicht_stapelbare_palette"
                    Layout.fillWidth: true
                    text: qsTr("Versand nicht stapelbare Palette ")
                    labelColor: _form.labelColor
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
            KeyNavigation.tab: _form.customerEditable ? _customerSuggestions.textfield : _belegnummer.field

            onClicked: _form.saveClicked()
        }
    }
}
