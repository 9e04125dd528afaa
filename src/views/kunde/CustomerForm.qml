import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../controls"

// The customer form: every input of a customer and, behind "Gewerblich", of
// its commercial record, in a scrolling two-column grid with the buttons at
// the end. It is layout only: the host fills it from a record, collects what
// the user entered when "Speichern" is pressed, sends it, and clears it.
// A value the user left alone goes back exactly as it came from the record,
// so saving an untouched customer changes nothing.
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

    // "Speichern" was pressed
    signal saveClicked()
    // "Abbrechen" was pressed
    signal cancelClicked()

    // What the user entered, keyed as the customer and commercial bodies are:
    // the customer's twelve values ("surname" ... "commercialability") and the
    // commercial record's four ("company", "vatid", "fuel_surcharge",
    // "contact_person"). Texts are sent as typed; a value the user did not
    // change since fill() is the record's own, and so is the country while
    // the user has not picked one.
    function collect() {
        var values = {}
        for (var key in _texts)
            values[key] = _untouched(key) ? _record[key] : _texts[key].text
        var commercial = _record && _record.commercial ? _record.commercial : null
        for (key in _businessTexts) {
            var field = _businessTexts[key]
            var stored = commercial ? commercial[key] : undefined
            var keepStored = commercial && field.text === _filled[key]
                    && (typeof stored === "string" || typeof stored === "number")
            values[key] = keepStored ? stored : field.text
        }
        var storedCountry = _record ? _record.address_country : undefined
        values.address_country = !_countryChosen && typeof storedCountry === "number"
                ? storedCountry : _country.currentIndex
        values.commercialability = _commercialability.checked
        return values
    }

    // Back to a new form: every text empty, "Treibstoffzuschlag" "0.0",
    // "Land" "Deutschland", "Gewerblich" unchecked.
    function clear() {
        _record = null
        _filled = ({})
        for (var key in _texts)
            _texts[key].text = ""
        for (key in _businessTexts)
            _businessTexts[key].text = ""
        _fuel_surcharge.text = defaultFuelSurcharge
        _country.currentIndex = defaultCountry
        _countryChosen = false
        _commercialability.checked = false
        contentY = 0
    }

    // Clears what was saved: every input that still holds the value of
    // `values` (what collect() returned) goes back to a new form's; an input
    // the user changed since keeps its text, as typing for the next customer.
    function clearSaved(values) {
        _record = null
        _filled = ({})
        for (var key in _texts) {
            if (_texts[key].text === values[key])
                _texts[key].text = ""
        }
        for (key in _businessTexts) {
            if (_businessTexts[key].text === values[key])
                _businessTexts[key].text = key === "fuel_surcharge" ? defaultFuelSurcharge : ""
        }
        if (_country.currentIndex === values.address_country) {
            _country.currentIndex = defaultCountry
            _countryChosen = false
        }
        if (_commercialability.checked === values.commercialability)
            _commercialability.checked = false
        contentY = 0
    }

    // Shows a customer record (with its embedded "commercial" record): empty
    // values stay empty (the placeholder shows), a country id 0 or one the
    // catalogue does not know selects no country, and an empty or zero fuel
    // surcharge shows as the "0.0" placeholder.
    function fill(record) {
        _record = record
        var filled = {}
        for (var key in _texts) {
            _texts[key].text = _textOf(record[key])
            filled[key] = _texts[key].text // as shown: a long note is cut
        }
        var country = record.address_country
        _country.currentIndex = typeof country === "number" && country > 0 && country < _countries.count
                ? country : -1
        _countryChosen = false
        _commercialability.checked = record.commercialability === true
        var commercial = _commercialability.checked && record.commercial ? record.commercial : {}
        for (key in _businessTexts) {
            var value = commercial[key]
            if (key === "fuel_surcharge" && (value === "" || Number(value) === 0))
                value = ""
            _businessTexts[key].text = _textOf(value)
            filled[key] = _businessTexts[key].text
        }
        _filled = filled
        contentY = 0
    }

    // the record shown by fill(), or null for a new customer
    property var _record: null
    // the texts fill() left in the inputs, by key
    property var _filled: ({})
    // the height the grid needs, with a margin below the buttons
    property real _gridBottom: 0
    // whether the user picked a country since fill() or clear()
    property bool _countryChosen: false
    // the customer's text inputs by the key they become
    readonly property var _texts: ({
        "surname": _surname, "lastname": _lastname, "address_street_no": _address_street_no,
        "address_zipcode": _address_zipcode, "address_town": _address_town,
        "address_province": _address_province, "phone": _phone, "fax": _fax, "email": _email,
        "info": _info
    })
    // the commercial record's text inputs by the key they become
    readonly property var _businessTexts: ({
        "company": _company, "vatid": _vatid, "fuel_surcharge": _fuel_surcharge,
        "contact_person": _contact_person
    })

    function _textOf(value) {
        return value === undefined || value === null ? "" : String(value)
    }

    // a customer text the record had as a string and the user left as fill() showed it
    function _untouched(key) {
        return _record !== null && typeof _record[key] === "string" && _texts[key].text === _filled[key]
    }

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

            Connections {
                target: _country.box
                // only a country the user picks replaces the stored one
                function onActivated() {
                    _form._countryChosen = true
                }
            }
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
                leftPadding: 0
                enabled: _form.commercialEditable
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.columnSpan: 2
            Layout.rowSpan: 2
            spacing: 2 * c_Scale

            FormLabel {
                Layout.fillWidth: true
                text: qsTr("Infofeld")
                color: _form.captionColor
            }

            TextArea {
                id: _info
                objectName: "info"
                Layout.fillWidth: true
                Layout.minimumHeight: 2 * implicitHeight
                wrapMode: TextEdit.WrapAtWordBoundaryOrAnywhere
                selectByMouse: true
                // Tab moves on to the next input, as in every other field, instead of typing a tab
                KeyNavigation.priority: KeyNavigation.BeforeItem
                KeyNavigation.tab: _commercialability.checked ? _company.field : _save
                placeholderText: _form.emptyPlaceholder
                // the backend keeps no longer note: typing or pasting beyond it is cut off
                onTextChanged: {
                    if (length > _form.infoMaxLength) {
                        var position = cursorPosition
                        text = text.substring(0, _form.infoMaxLength)
                        cursorPosition = Math.min(position, _form.infoMaxLength)
                    }
                }
            }
        }

        FormTextField {
            id: _company
            objectName: "company"
            Layout.preferredWidth: _grid.cellWidth
            visible: _commercialability.checked
            label: qsTr("Firma")
            labelColor: _form.businessCaptionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _contact_person
            objectName: "contact_person"
            Layout.preferredWidth: _grid.cellWidth
            visible: _commercialability.checked
            label: qsTr("Ansprechpartner")
            labelColor: _form.businessCaptionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _vatid
            objectName: "vatid"
            Layout.preferredWidth: _grid.cellWidth
            visible: _commercialability.checked
            label: qsTr("UstIdNr")
            labelColor: _form.businessCaptionColor
            field.placeholderText: _form.emptyPlaceholder
        }

        FormTextField {
            id: _fuel_surcharge
            objectName: "fuel_surcharge"
            Layout.preferredWidth: _grid.cellWidth
            visible: _commercialability.checked
            label: qsTr("Treibstoffzuschlag")
            labelColor: _form.businessCaptionColor
            text: _form.defaultFuelSurcharge
            field.placeholderText: _form.defaultFuelSurcharge
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
                text: qsTr("Abbrechen")
                KeyNavigation.tab: _surname.field
                onClicked: _form.cancelClicked()
            }
        }
    }
}
