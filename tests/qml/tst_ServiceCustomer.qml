import QtQuick 2.15
import QtTest 1.15

import "../../src/api/service_customer.js" as ServiceCustomer

// Customers and commercial records, checked over the wire.
ServiceTestCase {
    name: "ServiceCustomer"

    // A private customer as the forms hand it over (a record under the customer body's keys).
    function customer(surname) {
        return { surname: surname, lastname: "Beispiel", address_street_no: "Ringstraße 4", address_zipcode: "50667",
                 address_town: "Köln", address_country: 36, address_province: "NRW", phone: "0221 1", fax: "",
                 email: "a@b.example", info: "Notiz", commercialability: false }
    }

    // The body text of customer(surname).
    function customerBodyText(surname) {
        return '{"surname":"' + surname + '","lastname":"Beispiel","address_street_no":"Ringstraße 4",'
                + '"address_zipcode":"50667","address_town":"Köln","address_country":36,'
                + '"address_province":"NRW","phone":"0221 1","fax":"","email":"a@b.example","info":"Notiz",'
                + '"commercialability":false}'
    }

    // A commercial record as the forms hand it over.
    function commercial(company, vatid, fuelSurcharge, contactPerson) {
        return { company: company, vatid: vatid, fuel_surcharge: fuelSurcharge, contact_person: contactPerson }
    }

    function addPrivateCustomer(surname) {
        var created = reply(ServiceCustomer.add_customer_record, [customer(surname), undefined, token])
        verify(created.id > 0, "created: " + JSON.stringify(created))
        return created
    }

    function test_listAPage() {
        var x = exchange(ServiceCustomer.get_customers, [1, token])
        verifyRequest(x.request, "GET", "/customer", "page=1", token)
        compare(x.request.body, "")
        verify(Array.isArray(x.value) && x.value.length > 0)
        compare(reply(ServiceCustomer.get_customers, [999, token]), -1, "past the last page")
    }

    function test_readOne() {
        var first = reply(ServiceCustomer.get_customers, [1, token])[0]
        var x = exchange(ServiceCustomer.get_customer, [first.id, token])
        verifyRequest(x.request, "GET", "/customer/" + first.id, "", token)
        compare(x.value.lastname, first.lastname)
        compare(reply(ServiceCustomer.get_customer, [987654, token]), -1, "unknown customer (406)")
    }

    function test_privateCustomerIsCreatedWithTwelveKeys() {
        var x = exchange(ServiceCustomer.add_customer_record, [customer("Ina"), undefined, token])
        verifyRequest(x.request, "POST", "/customer", "", token)
        compare(x.request.body, customerBodyText("Ina"))
        compare(Object.keys(JSON.parse(x.request.body)).length, 12)
        verify(x.value.id > 0)
        compare(x.value.surname, "Ina")
    }

    function test_businessCustomerTakesTwoRequests() {
        var x = exchange(ServiceCustomer.add_customer_commercial_record,
                         [commercial("Muster GmbH", "DE123", "0.0", "Frau Muster"), token])
        verifyRequest(x.request, "POST", "/customer_commercial", "", token)
        compare(x.request.body, '{"company":"Muster GmbH","vatid":"DE123","fuel_surcharge":"0.0","contact_person":"Frau Muster"}')
        var stored = x.value
        verify(stored.id > 0)

        var business = customer("Firmenkunde")
        business.commercialability = true
        var y = exchange(ServiceCustomer.add_customer_record, [business, stored.id, token])
        var body = JSON.parse(y.request.body)
        compare(Object.keys(body).length, 13)
        compare(Object.keys(body)[12], "commercial_id")
        verify(y.request.body.indexOf('"commercialability":true,"commercial_id":' + stored.id + "}") > 0)
        compare(y.value.commercial_id, stored.id)

        compare(reply(ServiceCustomer.get_single_customer_commercial, [stored.id, token]).company, "Muster GmbH")
    }

    function test_createRefusedByTheBackendGivesMinusOne() {
        // a commercial record that does not exist: the backend answers 422 with a JSON body
        compare(reply(ServiceCustomer.add_customer_record, [customer("Ohne"), 987654, token]), -1)
        compare(reply(ServiceCustomer.add_customer_commercial_record, [commercial(1, "DE", "0.0", "x"), token]), -1)
    }

    function test_updateSendsNoCommercialId() {
        var before = addPrivateCustomer("Vorher")
        var x = exchange(ServiceCustomer.update_customer_record, [before.id, customer("Nachher"), token])
        verifyRequest(x.request, "PUT", "/customer/" + before.id, "", token)
        var keys = Object.keys(JSON.parse(x.request.body))
        compare(keys.length, 12)
        compare(keys.indexOf("commercial_id"), -1)
        compare(x.value.surname, "Nachher")

        // answered 406 with a JSON body: still not updated
        compare(reply(ServiceCustomer.update_customer_record, [987654, customer("X"), token]), -1)
    }

    function test_updateCommercialRecord() {
        var stored = reply(ServiceCustomer.add_customer_commercial_record,
                           [commercial("Alt AG", "DE1", "1.5", "Herr Alt"), token])
        var x = exchange(ServiceCustomer.update_customercommercial_record,
                         [stored.id, commercial("Neu AG", "DE2", "2.5", "Frau Neu"), token])
        verifyRequest(x.request, "PUT", "/customer_commercial/" + stored.id, "", token)
        compare(x.request.body, '{"company":"Neu AG","vatid":"DE2","fuel_surcharge":"2.5","contact_person":"Frau Neu"}')
        compare(x.value.company, "Neu AG")
        compare(reply(ServiceCustomer.update_customercommercial_record, [987654, commercial("a", "b", "c", "d"), token]),
                -1)
    }

    // The functions that take a customer's or a commercial record's values by
    // position (in the order of the body's keys) send what their
    // record-taking siblings send: every key, in the backend's order.
    function test_positionalFunctionsSendTheRecordsBody_data() {
        var firm = commercial("Gleich GmbH", "DE7", "1.0", "Herr Gleich")
        var firmBody = '{"company":"Gleich GmbH","vatid":"DE7","fuel_surcharge":"1.0","contact_person":"Herr Gleich"}'
        var newCustomer = function () { return addPrivateCustomer("Vorher").id }
        var newCommercial = function () { return reply(ServiceCustomer.add_customer_commercial_record, [firm, token]).id }
        return [
            { tag: "add_customer", path: "/customer", record: customer("Gleich"), keys: ServiceCustomer.CUSTOMER_KEYS,
              positional: ServiceCustomer.add_customer, byRecord: ServiceCustomer.add_customer_record,
              after: [undefined], body: customerBodyText("Gleich") },
            { tag: "update_customer", path: "/customer/", record: customer("Gleich"), keys: ServiceCustomer.CUSTOMER_KEYS,
              positional: ServiceCustomer.update_customer, byRecord: ServiceCustomer.update_customer_record,
              create: newCustomer, body: customerBodyText("Gleich") },
            { tag: "add_customer_commercial", path: "/customer_commercial", record: firm,
              keys: ServiceCustomer.COMMERCIAL_KEYS, positional: ServiceCustomer.add_customer_commercial,
              byRecord: ServiceCustomer.add_customer_commercial_record, body: firmBody },
            { tag: "update_customercommercial", path: "/customer_commercial/", record: firm,
              keys: ServiceCustomer.COMMERCIAL_KEYS, positional: ServiceCustomer.update_customercommercial,
              byRecord: ServiceCustomer.update_customercommercial_record, create: newCommercial, body: firmBody }
        ]
    }

    function test_positionalFunctionsSendTheRecordsBody(data) {
        var values = data.keys.map(function (key) { return data.record[key] })
        // a change names the record first
        var id = data.create ? data.create() : undefined
        var before = data.create ? [id] : []
        var after = data.after || []
        var positional = exchange(data.positional, before.concat(values, after, [token]))
        var byRecord = exchange(data.byRecord, before.concat([data.record], after, [token]))
        compare(positional.request.path, data.path + (data.create ? id : ""))
        compare(positional.request.body, data.body)
        compare(byRecord.request.body, positional.request.body)
        verify(positional.value.id > 0, JSON.stringify(positional.value))
    }

    function test_delete() {
        var gone = addPrivateCustomer("Weg")
        var x = exchange(ServiceCustomer.delete_item_customer, [gone.id, token])
        verifyRequest(x.request, "DELETE", "/customer/" + gone.id, "", token)
        compare(x.request.body, "")
        compare(x.value, 0)
        compare(reply(ServiceCustomer.delete_item_customer, [gone.id, token]), -1, "gone already (406)")
        compare(reply(ServiceCustomer.delete_item_customer, [gone.id, "not-a-token"]), -1, "refused token (401)")
    }

    function test_searches() {
        var x = exchange(ServiceCustomer.get_search_customer_fullname, ["Anna Schmidt", token])
        verifyRequest(x.request, "POST", "/customer/search", "", token)
        compare(x.request.body, '{"fullname":"Anna Schmidt"}')
        compare(x.value[0].lastname, "Schmidt")
        compare(reply(ServiceCustomer.get_search_customer_fullname, ["Niemand Nirgends", token]), -1)

        var y = exchange(ServiceCustomer.get_search_customer_surname, ["Anna", token])
        compare(y.request.body, '{"vorname":"Anna"}')
        compare(y.request.path, "/customer_search_surname")
        compare(y.value[0].surname, "Anna")
        var z = exchange(ServiceCustomer.get_search_customer_lastname, ["Müller", token])
        compare(z.request.body, '{"nachname":"Müller"}')
        compare(z.request.path, "/customer_search_lastname")
        compare(z.value[0].lastname, "Müller")
    }

    function test_unreadableReplyCallsBackOnceWithMinusOne() {
        // no hits: the backend answers 204 with an empty body, which is no JSON
        expectUnreadableReply()
        compare(replies(ServiceCustomer.get_search_customer_surname, ["Niemand", token], 300), [-1])
    }

    function test_deadConnection() {
        var kept = addPrivateCustomer("Bleibt")
        whileServerIsDown(function () {
            expectUnreadableReply()
            compare(replies(ServiceCustomer.get_customers, [1, token], 300), [-1])
            expectUnreadableReply()
            compare(replies(ServiceCustomer.update_customer_record, [kept.id, customer("Z"), token], 300), [-1])
            compare(replies(ServiceCustomer.add_customer_record, [customer("Z"), undefined, token], 300), [-1])
            compare(replies(ServiceCustomer.delete_item_customer, [kept.id, token], 300), [-1])
        })
        compare(reply(ServiceCustomer.get_customer, [kept.id, token]).surname, "Bleibt")
    }
}
