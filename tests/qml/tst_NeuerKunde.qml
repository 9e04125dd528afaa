import QtQuick 2.15
import QtTest 1.15

import "../../src/views/kunde"
import "../../src/api/service_customer.js" as ServiceCustomer

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
    function pressSave(keepBanner) {
        if (!keepBanner)
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
        saveWindowGrab("neuer-kunde-gewerblich.png")
        pressSave()
        waitForBanner(2)
        compare(requestLines(), ["POST /customer_commercial", "POST /customer"])
        compare(testServer.records()[0].body,
                '{"company":"Hafen GmbH","vatid":"DE999","fuel_surcharge":"2,5","contact_person":"Herr Kai"}')
        var customer = lastBody("/customer")
        compare(customer.commercialability, true)
        compare(reply(ServiceCustomer.get_single_customer_commercial, [customer.commercial_id, token]).company,
                "Hafen GmbH")
        verifyCleared()
    }

    // The values are those of the moment "Speichern" was pressed; a second
    // press while the save is outstanding sends nothing; the form is cleared
    // once the customer exists, keeping what was typed meanwhile.
    function test_valuesOfThePressAndOneSave() {
        type(business("Gedrueckt"))
        var stored = { company: "Hafen GmbH", vatid: "DE999", fuel_surcharge: "0.0", contact_person: "Herr Kai" }
        var commercial = reply(ServiceCustomer.add_customer_commercial_record, [stored, token])
        cannedServer.answer("/customer_commercial", 201, JSON.stringify(commercial), true)
        testServer.clearRecords()
        var before = cannedServer.requestedPaths().length
        pressSave()
        tryVerify(function () { return cannedServer.requestedPaths().length > before })
        verify(!field("saveButton").enabled, "no second save while one is outstanding")
        mouseClick(field("saveButton"))
        field("surname").text = "Spaeter"
        cannedServer.release()
        waitForBanner(2)
        compare(cannedServer.requestedPaths().slice(before), ["/customer_commercial"])
        compare(requestLines(), ["POST /customer"])
        compare(lastBody("/customer").surname, "Gedrueckt")
        compare(lastBody("/customer").commercial_id, commercial.id)
        verifyCleared({ "surname": "Spaeter" })
    }

    function test_refusedSaveKeepsTheForm_data() {
        return [
            { tag: "private customer", path: "/customer", status: 422, body: '{"error":"nope"}', commercial: false,
              text: "Kunde konnte nicht gespeichert werden: nope", sent: [] },
            { tag: "commercial record refused", path: "/customer_commercial", status: 422,
              body: '{"error":"\\"vatid\\" is too long"}', commercial: true,
              text: 'Komerzieller Kunde konnte nicht gespeichert werden: "vatid" is too long', sent: [] },
            { tag: "commercial reply without id", path: "/customer_commercial", status: 200,
              body: '{"error":"kaputt"}', commercial: true,
              text: "Komerzieller Kunde wurde gespeichert, die Antwort des Servers war aber nicht lesbar; "
                    + "der Kunde wurde nicht angelegt", sent: [] }
        ]
    }

    function test_refusedSaveKeepsTheForm(data) {
        type(business("Abgelehnt"))
        field("commercialability").checked = data.commercial
        cannedServer.answer(data.path, data.status, data.body)
        pressSave()
        waitForBanner(4)
        compare(banner().settings, ["Nicht Erfolgreich", data.text, 4])
        compare(requestLines(), data.sent, "no customer without its commercial record")
        compare(field("surname").text, "Abgelehnt")
        compare(field("company").text, "Hafen GmbH")
        verify(field("saveButton").enabled)
    }

    // No backend at all: the user is told, the form stays, and once the
    // backend is back the same press creates the customer.
    function test_deadConnectionKeepsTheForm() {
        var told = 0
        view.notifier = { "notifyConnectionProblem": function () { ++told } }
        type(business("Offline"))
        whileServerIsDown(function () {
            pressSave()
            waitForBanner(3)
        })
        compare(banner().settings, ["Ergebnis unklar", "Keine Antwort vom Server: der Kunde wurde nicht angelegt", 3])
        compare(told, 1, "the window's banner tells of the connection")
        compare(field("surname").text, "Offline")
        compare(field("company").text, "Hafen GmbH")
        token = logInSession()
        pressSave()
        waitForBanner(2)
        compare(lastBody("/customer").surname, "Offline")
        verifyCleared()
    }

    // A customer refused after its commercial record was created keeps the
    // form; trying again uses that record (changed first when the user edited
    // the business inputs meanwhile) instead of making a second one.
    function test_retryReusesTheCommercialRecord() {
        type(business("Nochmal"))
        cannedServer.answer("/customer", 500, '{"error":"database locked"}')
        cannedServer.answer("/customer", 500, '{"error":"database locked"}')
        pressSave()
        waitForBanner(4)
        compare(banner().settings, ["Nicht Erfolgreich", "Kunde konnte nicht gespeichert werden: database locked", 4])
        compare(field("surname").text, "Nochmal")
        pressSave()
        waitForBanner(4)
        compare(requestLines(), ["POST /customer_commercial"], "the record made by the first attempt")

        field("company").text = "Neue Firma GmbH"
        pressSave()
        waitForBanner(2)
        var customer = lastBody("/customer")
        compare(requestLines(), ["POST /customer_commercial", "PUT /customer_commercial/" + customer.commercial_id,
                                 "POST /customer"])
        compare(customer.surname, "Nochmal")
        compare(reply(ServiceCustomer.get_single_customer_commercial, [customer.commercial_id, token]).company,
                "Neue Firma GmbH")
        verifyCleared()
    }

    // Stored with 201, but the reply cannot be read: stored all the same, so
    // the form empties and nothing invites a second customer.
    function test_storedButUnreadable_data() {
        return [
            { tag: "private customer", commercial: false, sent: [] },
            { tag: "business customer", commercial: true, sent: ["POST /customer_commercial"] }
        ]
    }

    function test_storedButUnreadable(data) {
        type(business("Unlesbar"))
        field("commercialability").checked = data.commercial
        cannedServer.answer("/customer", 201, '{"id": 4')
        expectUnreadableReply()
        pressSave()
        waitForBanner(2)
        compare(banner().settings, ["Erfolgreich", "Kunde wurde gespeichert, die Antwort des Servers war aber nicht lesbar", 2])
        compare(requestLines(), data.sent)
        verifyCleared()
    }

    // No answer to the customer's create: stored or not, nobody knows. The
    // form stays, and the next "Speichern" first asks whether the user has looked.
    function test_unknownOutcomeAsksBeforeSendingAgain() {
        type({ "lastname": "Ungewiss" })
        cannedServer.drop("/customer", 3)
        pressSave()
        waitForBanner(3)
        compare(banner().settings[0], "Ergebnis unklar")
        compare(field("lastname").text, "Ungewiss")
        cannedServer.clearAnswers() // the backend answers again
        pressSave()
        tryCompare(view.resendQuestion, "opened", true)
        keyClick(Qt.Key_Escape)
        tryCompare(view.resendQuestion, "visible", false)
        compare(requestLines(), [], "nothing sent again")
        pressSave()
        tryCompare(view.resendQuestion, "opened", true)
        keyClick(Qt.Key_Return)
        waitForBanner(2)
        compare(requestLines(), ["POST /customer"])
        verifyCleared()
    }

    function test_eachMessageShowsForItsWholeTime() {
        banner().delay = 600
        type({ "lastname": "Erster" })
        pressSave()
        waitForBanner(2)
        wait(300)
        type({ "lastname": "Zweiter" })
        pressSave(true)
        tryCompare(view, "saving", false)
        wait(400) // the first message's time is over
        verify(banner().run, "the second message still shows")
        banner().delay = -1
    }
}
