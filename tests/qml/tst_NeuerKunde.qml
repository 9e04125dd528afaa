import QtQuick 2.15
import QtTest 1.15

import "../../src/views/kunde"
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../dynamic/variables.js" as Dynamic

// Creating customers from the "Neuer Kunde" form against the reference
// server: which requests go out, in which order, with which values, and what
// the user sees and keeps when the backend refuses.
ShellTestCase {
    id: _case
    name: "NeuerKunde"
    width: 1632
    height: 918

    Component {
        id: viewComponent
        NeuerKunde {
            width: _case.width
            height: _case.height
        }
    }

    property var view: null

    function init() {
        Dynamic.setToken(token)
        cannedServer.clearAnswers()
        view = createTemporaryObject(viewComponent, _case)
        testServer.clearRecords()
    }

    function field(name) {
        return findChild(view, name)
    }

    function type(values) {
        for (var key in values) {
            if (key === "commercialability")
                field(key).checked = values[key]
            else
                field(key).text = values[key]
        }
    }

    // scrolls to "Speichern" and clicks it; the banner of an earlier attempt is closed first
    function pressSave() {
        banner().run = false
        var button = field("saveButton")
        // scrolled to the end once the form has laid out what it shows
        tryVerify(function () {
            var form = view.form
            form.contentY = Math.max(0, form.contentHeight - form.height)
            var at = button.mapToItem(form, 0, 0)
            return at.y >= 0 && at.y + button.height <= form.height
        }, 2000, "Speichern in view")
        mouseClick(button)
    }

    function banner() {
        return view.banner
    }

    function waitForBanner(state) {
        tryCompare(banner(), "run", true, 10000)
        compare(banner().settings[2], state, JSON.stringify(banner().settings))
        tryCompare(view, "saving", false)
    }

    // requests the reference server received, as "METHOD /path"
    function requestLines() {
        return testServer.records().map(function (r) { return r.method + " " + r.path })
    }

    function lastBody(path) {
        var records = testServer.records().filter(function (r) { return r.path === path })
        return records.length > 0 ? JSON.parse(records[records.length - 1].body) : null
    }

    function business(surname) {
        return {
            "surname": surname, "lastname": "Kunde", "address_street_no": "Hafenweg 1",
            "address_zipcode": "20457", "address_town": "Hamburg", "commercialability": true,
            "company": "Hafen GmbH", "vatid": "DE999", "contact_person": "Herr Kai"
        }
    }

    // the form as new, but for `typed` ({key: text}), entered while the save was outstanding
    function verifyCleared(typed) {
        typed = typed || {}
        for (var key of ["surname", "lastname", "address_street_no", "info", "company", "vatid"])
            compare(field(key).text, typed[key] !== undefined ? typed[key] : "", key)
        compare(field("fuel_surcharge").text, "0.0")
        compare(field("address_country").currentIndex, 36)
        compare(field("address_country").displayText, "Deutschland")
        compare(field("commercialability").checked, false)
        verify(!field("company").visible, "business inputs hidden")
    }

    function test_privateCustomerWithOnlyALastName() {
        type({ "lastname": "Nurnachname" })
        pressSave()
        waitForBanner(2)
        compare(banner().settings, ["Erfolgreich", "Kunde wurde erfolgreich gespeichert", 2])
        compare(requestLines(), ["POST /customer"], "no commercial record for a private customer")
        compare(testServer.records()[0].body,
                '{"surname":"","lastname":"Nurnachname","address_street_no":"","address_zipcode":"",'
                + '"address_town":"","address_country":36,"address_province":"","phone":"","fax":"",'
                + '"email":"","info":"","commercialability":false}')
        verifyCleared()
    }

    function test_businessCustomerCommercialRecordFirst() {
        type(business("Erstens"))
        field("fuel_surcharge").text = "2,5"
        pressSave()
        waitForBanner(2)
        compare(requestLines(), ["POST /customer_commercial", "POST /customer"])
        compare(testServer.records()[0].body,
                '{"company":"Hafen GmbH","vatid":"DE999","fuel_surcharge":"2,5","contact_person":"Herr Kai"}')
        var customer = lastBody("/customer")
        compare(customer.commercialability, true)
        compare(customer.surname, "Erstens")
        var stored = reply(ServiceCustomer.get_customer, [customer.commercial_id, token])
        var created = reply(ServiceCustomer.get_search_customer_fullname, ["Erstens Kunde", token])[0]
        compare(created.commercial_id, customer.commercial_id)
        compare(created.commercial.company, "Hafen GmbH")
        verifyCleared()
    }

    // The values are those of the moment "Speichern" was pressed; the form is
    // cleared once, when the customer exists, and typing meanwhile is kept
    // until then. A second press while the save is outstanding sends nothing.
    function test_valuesOfThePressAndOneSave() {
        type(business("Gedrueckt"))
        cannedServer.answer("/customer_commercial", 201,
                            '{"id":' + reply(ServiceCustomer.add_customer_commercial,
                                             ["Hafen GmbH", "DE999", "0.0", "Herr Kai", token]).id + '}', true)
        testServer.clearRecords()
        var before = cannedServer.requestedPaths().length
        pressSave()
        tryVerify(function () { return cannedServer.requestedPaths().length > before })
        verify(!field("saveButton").enabled, "no second save while one is outstanding")
        mouseClick(field("saveButton"))
        field("surname").text = "Spaeter"
        cannedServer.release()
        waitForBanner(2)
        compare(requestLines(), ["POST /customer"])
        compare(lastBody("/customer").surname, "Gedrueckt")
        verifyCleared({ "surname": "Spaeter" })
        compare(cannedServer.requestedPaths().slice(before), ["/customer_commercial"])
    }

    function test_commercialReplyWithoutIdStops() {
        type(business("Ohneid"))
        cannedServer.answer("/customer_commercial", 200, '{"error":"kaputt"}')
        pressSave()
        waitForBanner(4)
        compare(banner().settings, ["Nicht Erfolgreich", "Komerzieller Kunde konnte nicht gespeichert werden", 4])
        compare(requestLines(), [], "no customer without its commercial record")
        compare(field("surname").text, "Ohneid")
        compare(field("company").text, "Hafen GmbH")
        verify(field("saveButton").enabled)
    }

    // A customer refused after its commercial record was created keeps the
    // form; the next "Speichern" creates the customer on that same record.
    function test_retryReusesTheCommercialRecord() {
        type(business("Nochmal"))
        cannedServer.answer("/customer", 500, '{"error":"database locked"}')
        pressSave()
        waitForBanner(4)
        compare(banner().settings, ["Nicht Erfolgreich", "Kunde konnte nicht gespeichert werden", 4])
        compare(field("surname").text, "Nochmal")
        compare(field("company").text, "Hafen GmbH")

        pressSave()
        waitForBanner(2)
        compare(requestLines(), ["POST /customer_commercial", "POST /customer"], "one commercial record")
        var customer = lastBody("/customer")
        compare(customer.surname, "Nochmal")
        compare(reply(ServiceCustomer.get_single_customer_commercial, [customer.commercial_id, token]).company,
                "Hafen GmbH")
        verifyCleared()
    }

    // ... and when the user changed the business inputs before trying again,
    // that record is changed rather than a second one made.
    function test_retryAfterEditingChangesTheCommercialRecord() {
        type(business("Geaendert"))
        cannedServer.answer("/customer", 500, '{"error":"database locked"}')
        pressSave()
        waitForBanner(4)
        field("company").text = "Neue Firma GmbH"
        pressSave()
        waitForBanner(2)
        var lines = requestLines()
        compare(lines.length, 3, lines)
        compare(lines[0], "POST /customer_commercial")
        verify(/^PUT \/customer_commercial\/[0-9]+$/.test(lines[1]), lines[1])
        compare(lines[2], "POST /customer")
        var customer = lastBody("/customer")
        compare(lines[1], "PUT /customer_commercial/" + customer.commercial_id)
        compare(reply(ServiceCustomer.get_single_customer_commercial, [customer.commercial_id, token]).company,
                "Neue Firma GmbH")
    }

    function test_privateCustomerRefused() {
        type({ "surname": "Abgelehnt", "lastname": "Privat" })
        cannedServer.answer("/customer", 422, '{"error":"nope"}')
        pressSave()
        waitForBanner(4)
        compare(banner().settings, ["Nicht Erfolgreich", "Kunde konnte nicht gespeichert werden", 4])
        compare(field("surname").text, "Abgelehnt")
        compare(field("lastname").text, "Privat")
    }

    function test_noteKeeps254Characters() {
        var text = ""
        for (var i = 0; i < 300; ++i)
            text += String.fromCharCode(97 + i % 26)
        field("info").text = text
        compare(field("info").text, text.substring(0, 254))
    }

    function test_businessInputsFollowGewerblich() {
        verifyCleared()
        var form = view.form
        var height = form.contentHeight
        mouseClick(field("commercialability"))
        verify(field("company").visible && field("fuel_surcharge").visible, "business inputs shown")
        tryVerify(function () { return form.contentHeight > height }, 1000, "the form grows")
        type(business("Bild"))
        field("info").text = "Anlieferung nur werktags zwischen 8 und 16 Uhr, Rampe 3."
        saveWindowGrab("neuer-kunde-gewerblich.png")
        mouseClick(field("commercialability"))
        verify(!field("company").visible, "hidden again")
    }
}
