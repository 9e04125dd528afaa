import QtQuick 2.15

import "../../api/service_customer.js" as ServiceCustomer

// What a CustomerForm shows, as a customer record: fills the form from one
// and collects it again under the keys of the customer and commercial bodies.
// Both hosts of the form, the new customer and the customer edit popup, use
// one; it sends nothing. A value the user left alone goes back exactly as it
// came from the record, so saving an untouched customer changes nothing. A
// plain object: it holds no items, so the form's layout stays the form's alone.
QtObject {
    id: _controller

    // the form it fills and reads
    property CustomerForm form: null

    // What the user entered, keyed as the bodies are: the customer's twelve
    // values (ServiceCustomer.CUSTOMER_KEYS) and the commercial record's four
    // (ServiceCustomer.COMMERCIAL_KEYS). Texts are sent as typed; a value the
    // user did not change since fill() is the record's own, and so is the
    // country while the user has not picked one.
    function collect() {
        var values = {}
        var keys = ServiceCustomer.CUSTOMER_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var key = keys[i]
            if (form.texts[key])
                values[key] = _untouched(key) ? _record[key] : form.texts[key].text
        }
        var storedCountry = _record ? _record.address_country : undefined
        values.address_country = !_countryChosen && typeof storedCountry === "number"
                ? storedCountry : form.country.currentIndex
        values.commercialability = form.commercial
        var commercial = _record && _record.commercial ? _record.commercial : null
        keys = ServiceCustomer.COMMERCIAL_KEYS
        for (i = 0; i < keys.length; ++i) {
            var field = form.businessText(keys[i])
            var stored = commercial ? commercial[keys[i]] : undefined
            var keepStored = commercial && field.text === _filled[keys[i]]
                    && (typeof stored === "string" || typeof stored === "number")
            values[keys[i]] = keepStored ? stored : field.text
        }
        return values
    }

    // Back to a new form: every text empty, "Treibstoffzuschlag" "0.0",
    // "Land" "Deutschland", "Gewerblich" unchecked.
    function clear() {
        _record = null
        _filled = ({})
        for (var key in form.texts)
            form.texts[key].text = ""
        var keys = ServiceCustomer.COMMERCIAL_KEYS
        for (var i = 0; i < keys.length; ++i)
            form.businessText(keys[i]).text = keys[i] === "fuel_surcharge" ? form.defaultFuelSurcharge : ""
        form.country.currentIndex = form.defaultCountry
        _countryChosen = false
        form.commercial = false
        form.contentY = 0
    }

    // Clears what was saved: every input that still holds the value of
    // `values` (what collect() returned) goes back to a new form's; an input
    // the user changed since keeps its text, as typing for the next customer.
    function clearSaved(values) {
        _record = null
        _filled = ({})
        for (var key in form.texts) {
            if (form.texts[key].text === values[key])
                form.texts[key].text = ""
        }
        var keys = ServiceCustomer.COMMERCIAL_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var field = form.businessText(keys[i])
            if (field.text === values[keys[i]])
                field.text = keys[i] === "fuel_surcharge" ? form.defaultFuelSurcharge : ""
        }
        if (form.country.currentIndex === values.address_country) {
            form.country.currentIndex = form.defaultCountry
            _countryChosen = false
        }
        if (form.commercial === values.commercialability)
            form.commercial = false
        form.contentY = 0
    }

    // Shows a customer record (with its embedded "commercial" record): empty
    // values stay empty (the placeholder shows), a country id 0 or one the
    // catalogue does not know selects no country, and an empty or zero fuel
    // surcharge shows as the "0.0" placeholder.
    function fill(record) {
        _record = record
        var filled = {}
        for (var key in form.texts) {
            form.texts[key].text = _textOf(record[key])
            filled[key] = form.texts[key].text // as shown: a long note is cut
        }
        var country = record.address_country
        form.country.currentIndex = typeof country === "number" && country > 0 && country < form.country.box.count
                ? country : -1
        _countryChosen = false
        form.commercial = record.commercialability === true
        var commercial = form.commercial && record.commercial ? record.commercial : {}
        var keys = ServiceCustomer.COMMERCIAL_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var value = commercial[keys[i]]
            if (keys[i] === "fuel_surcharge" && (value === "" || Number(value) === 0))
                value = ""
            var field = form.businessText(keys[i])
            field.text = _textOf(value)
            filled[keys[i]] = field.text
        }
        _filled = filled
        form.contentY = 0
    }

    // What the user typed, for a draft: every input's text by its key, the
    // country's position and "Gewerblich".
    function draftFields() {
        var fields = { "address_country": form.country.currentIndex, "commercialability": form.commercial }
        for (var key in form.texts)
            fields[key] = form.texts[key].text
        var keys = ServiceCustomer.COMMERCIAL_KEYS
        for (var i = 0; i < keys.length; ++i)
            fields[keys[i]] = form.businessText(keys[i]).text
        return fields
    }

    // Fills the form from what draftFields() returned; a country other than
    // the one shown counts as picked.
    function applyDraft(fields) {
        for (var key in form.texts) {
            if (key in fields)
                form.texts[key].text = _textOf(fields[key])
        }
        var keys = ServiceCustomer.COMMERCIAL_KEYS
        for (var i = 0; i < keys.length; ++i) {
            if (keys[i] in fields)
                form.businessText(keys[i]).text = _textOf(fields[keys[i]])
        }
        var country = fields.address_country
        if (typeof country === "number" && country >= -1 && country < form.country.box.count
                && country !== form.country.currentIndex) {
            form.country.currentIndex = country
            _countryChosen = true
        }
        if (form.commercialEditable)
            form.commercial = fields.commercialability === true
    }

    // the record shown by fill(), or null for a new customer
    property var _record: null
    // the texts fill() left in the inputs, by key
    property var _filled: ({})
    // whether the user picked a country since fill() or clear()
    property bool _countryChosen: false

    function _textOf(value) {
        return value === undefined || value === null ? "" : String(value)
    }

    // a customer text the record had as a string and the user left as fill() showed it
    function _untouched(key) {
        return _record !== null && typeof _record[key] === "string" && form.texts[key].text === _filled[key]
    }

    // only a country the user picks replaces the stored one
    property Connections _countryPicked: Connections {
        target: _controller.form ? _controller.form.country.box : null

        function onActivated() {
            _controller._countryChosen = true
        }
    }
}
