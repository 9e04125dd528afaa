import QtQuick 2.15
import QtTest 1.15

import "../../src/views/kunde"
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../dynamic/variables.js" as Dynamic

// Changing a stored customer in the edit popup against the reference server:
// what is sent, that an untouched customer stays exactly as stored, and what
// the user sees when the backend refuses or no longer knows the customer.
ShellTestCase {
    id: _case
    name: "CustomerEditPopup"
    width: 1632
    height: 918

    Item {
        id: host
        anchors.fill: parent

        CustomerEditPopup {
            id: popup
        }
    }

    SignalSpy {
        id: messageSpy
        target: popup
        signalName: "message"
    }

    SignalSpy {
        id: savedSpy
        target: popup
        signalName: "saved"
    }

    function init() {
        Dynamic.setToken(token)
        cannedServer.clearAnswers()
        messageSpy.clear()
        savedSpy.clear()
    }

    function cleanup() {
        popup.close()
        tryCompare(popup, "visible", false)
    }

    function field(name) {
        return findChild(popup.form, name)
    }

    function createCustomer(values, commercial) {
        var commercialId
        if (commercial) {
            commercialId = reply(ServiceCustomer.add_customer_commercial,
                                 [commercial.company, commercial.vatid, commercial.fuel_surcharge,
                                  commercial.contact_person, token]).id
        }
        var v = values
        var created = reply(ServiceCustomer.add_customer,
                            [v.surname, v.lastname, v.address_street_no, v.address_zipcode, v.address_town,
                             v.address_country, v.address_province, v.phone, v.fax, v.email, v.info,
                             commercial !== undefined, commercialId, token])
        verify(created.id > 0, JSON.stringify(created))
        return created
    }

    function privateValues(surname) {
        return {
            "surname": surname, "lastname": "Privat", "address_street_no": "Lindenallee 7",
            "address_zipcode": "04109", "address_town": "Leipzig", "address_country": 36,
            "address_province": "", "phone": "0341 22", "fax": "", "email": "", "info": "", "commercialability": false
        }
    }

    function stored(id) {
        return JSON.stringify(reply(ServiceCustomer.get_customer, [id, token]))
    }

    // opens the popup for customer `id` and waits until the form shows it
    function openFor(id) {
        popup.idof = id
        popup.open()
        tryVerify(function () { return popup.currentCustomer !== null && !popup.busy }, 10000, "customer read")
    }

    function pressSave() {
        var button = field("saveButton")
        // scrolled to the end once the form has laid out what it shows
        tryVerify(function () {
            var form = popup.form
            form.contentY = Math.max(0, form.contentHeight - form.height)
            var at = button.mapToItem(form, 0, 0)
            return at.y >= 0 && at.y + button.height <= form.height
        }, 2000, "Speichern in view")
        mouseClick(button)
    }

    function requestsTo(path) {
        return testServer.records().filter(function (r) { return r.path === path })
    }

    function verifySavedAndClosed() {
        tryCompare(savedSpy, "count", 1, 10000)
        compare(messageSpy.signalArguments[messageSpy.count - 1][0],
                ["Erfolgreich", "Kunde wurde erfolgreich geändert", 2])
        tryCompare(popup, "visible", false)
    }

    function longNote(length) {
        var text = ""
        for (var i = 0; i < length; ++i)
            text += String.fromCharCode(97 + i % 26)
        return text
    }

    // Empty values show "-" without becoming it, an unknown or missing
    // country selects nothing and stays what it was, a zero fuel surcharge
    // shows "0.0" and stays a number, a stored note longer than the form
    // keeps stays whole.
    function test_untouchedSaveLeavesTheRecordAsItWas_data() {
        var unknownCountry = privateValues("Ohneland")
        unknownCountry.address_country = -1
        var zeroCountry = privateValues("Nullland")
        zeroCountry.address_country = 0
        var longInfo = privateValues("Langnotiz")
        longInfo.info = longNote(300)
        var business = privateValues("Gewerbe")
        business.commercialability = true
        return [
            { tag: "private", values: privateValues("Unberuehrt") },
            { tag: "unknown country", values: unknownCountry },
            { tag: "country 0", values: zeroCountry },
            { tag: "long note", values: longInfo },
            { tag: "business", values: business,
              commercial: { company: "Null GmbH", vatid: "", fuel_surcharge: 0, contact_person: "" } }
        ]
    }

    function test_untouchedSaveLeavesTheRecordAsItWas(data) {
        var customer = createCustomer(data.values, data.commercial)
        var before = stored(customer.id)
        openFor(customer.id)
        compare(field("fax").text, "")
        compare(field("fax").field.placeholderText, "-")
        if (data.values.address_country !== 36)
            compare(field("address_country").currentIndex, -1, "no country selected")
        if (data.commercial) {
            verify(field("company").visible)
            compare(field("fuel_surcharge").text, "")
            compare(field("fuel_surcharge").field.placeholderText, "0.0")
        }
        testServer.clearRecords()
        pressSave()
        verifySavedAndClosed()
        var put = JSON.parse(requestsTo("/customer/" + customer.id)[0].body)
        compare(put.fax, "")
        compare(put.address_country, data.values.address_country)
        compare(requestsTo("/customer_commercial/" + customer.commercial_id).length, data.commercial ? 1 : 0)
        compare(stored(customer.id), before, "stored record unchanged")
    }

    function test_privateRoundTrip() {
        var customer = createCustomer(privateValues("Vorher"))
        openFor(customer.id)
        compare(field("surname").text, "Vorher")
        compare(field("address_country").displayText, "Deutschland")
        verify(!field("commercialability").enabled, "the kind of a stored customer stays")
        verify(!field("company").visible)
        field("surname").text = "Nachher"
        field("fax").text = "0341 23"
        field("address_country").box.forceActiveFocus()
        keyClick(Qt.Key_Down) // the user picks the next country
        testServer.clearRecords()
        pressSave()
        verifySavedAndClosed()
        compare(testServer.records().length, 1, "one request for a private customer")
        compare(testServer.records()[0].method, "PUT")
        compare(testServer.records()[0].body,
                '{"surname":"Nachher","lastname":"Privat","address_street_no":"Lindenallee 7",'
                + '"address_zipcode":"04109","address_town":"Leipzig","address_country":37,"address_province":"",'
                + '"phone":"0341 22","fax":"0341 23","email":"","info":"","commercialability":false}')
    }

    function test_businessRoundTrip() {
        var values = privateValues("Firma")
        values.commercialability = true
        var customer = createCustomer(values, { company: "Alt AG", vatid: "DE1", fuel_surcharge: "1.5",
                                                contact_person: "Herr Alt" })
        openFor(customer.id)
        compare(field("company").text, "Alt AG")
        compare(field("fuel_surcharge").text, "1.5")
        field("company").text = "Neu AG"
        field("fuel_surcharge").text = "2.5"
        field("phone").text = "0341 99"
        testServer.clearRecords()
        pressSave()
        verifySavedAndClosed()
        var commercialPut = requestsTo("/customer_commercial/" + customer.commercial_id)
        compare(commercialPut.length, 1)
        compare(commercialPut[0].method, "PUT")
        compare(commercialPut[0].body,
                '{"company":"Neu AG","vatid":"DE1","fuel_surcharge":"2.5","contact_person":"Herr Alt"}')
        var customerPut = JSON.parse(requestsTo("/customer/" + customer.id)[0].body)
        compare(customerPut.commercialability, true)
        compare(customerPut.phone, "0341 99")
        compare(Object.keys(customerPut).indexOf("commercial_id"), -1)
        var after = reply(ServiceCustomer.get_customer, [customer.id, token])
        compare(after.commercial.company, "Neu AG")
        compare(field("commercialability").checked, false, "unchecked once closed")
    }

    function test_refusedUpdateKeepsThePopup_data() {
        return [
            { tag: "customer", customerFails: true,
              text: "Kunde konnte nicht geändert werden" },
            { tag: "commercial record", customerFails: false,
              text: "Komerzieller Kunde konnte nicht geändert werden" }
        ]
    }

    function test_refusedUpdateKeepsThePopup(data) {
        var values = privateValues("Abgelehnt")
        values.commercialability = true
        var customer = createCustomer(values, { company: "Fest AG", vatid: "", fuel_surcharge: "0.0",
                                                contact_person: "" })
        openFor(customer.id)
        field("surname").text = "Eingabe bleibt"
        var path = data.customerFails ? "/customer/" + customer.id : "/customer_commercial/" + customer.commercial_id
        cannedServer.answer(path, 500, '{"error":"database locked"}')
        pressSave()
        tryCompare(messageSpy, "count", 1, 10000)
        compare(messageSpy.signalArguments[0][0], ["Nicht Erfolgreich", data.text, 4])
        compare(savedSpy.count, 0)
        verify(popup.visible, "still open")
        compare(field("surname").text, "Eingabe bleibt")
        tryCompare(field("saveButton"), "enabled", true)
    }

    function test_unknownCustomerClosesThePopup() {
        popup.idof = 987654
        popup.open()
        tryCompare(messageSpy, "count", 1, 10000)
        compare(messageSpy.signalArguments[0][0],
                ["Kunden änderung", "Kunde wurde nicht gefunden, änderung nicht möglich", 4])
        tryCompare(popup, "visible", false)
    }

    function test_noteKeeps254Characters() {
        var customer = createCustomer(privateValues("Notiz"))
        openFor(customer.id)
        field("info").insert(0, longNote(300))
        compare(field("info").text, longNote(254))
    }

    function test_escapeCloses() {
        var customer = createCustomer(privateValues("Escape"))
        openFor(customer.id)
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        compare(messageSpy.count, 0)
    }
}
