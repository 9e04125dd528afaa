import QtQuick 2.15
import QtTest 1.15

import "../../src/api/service_customer.js" as ServiceCustomer

// Customers and commercial records, checked over the wire.
ServiceTestCase {
    name: "ServiceCustomer"

    // The customer fields in the order the forms hand them over.
    function customerFields(surname) {
        return [surname, "Beispiel", "Ringstraße 4", "50667", "Köln", 36, "NRW", "0221 1", "", "a@b.example",
                "Notiz", false]
    }

    function addPrivateCustomer(surname) {
        var created = reply(ServiceCustomer.add_customer, customerFields(surname).concat([undefined, token]))
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
        var x = exchange(ServiceCustomer.add_customer, customerFields("Ina").concat([undefined, token]))
        verifyRequest(x.request, "POST", "/customer", "", token)
        compare(x.request.body, '{"surname":"Ina","lastname":"Beispiel","address_street_no":"Ringstraße 4",'
                + '"address_zipcode":"50667","address_town":"Köln","address_country":36,'
                + '"address_province":"NRW","phone":"0221 1","fax":"","email":"a@b.example","info":"Notiz",'
                + '"commercialability":false}')
        compare(Object.keys(JSON.parse(x.request.body)).length, 12)
        verify(x.value.id > 0)
        compare(x.value.surname, "Ina")
    }

    function test_businessCustomerTakesTwoRequests() {
        var x = exchange(ServiceCustomer.add_customer_commercial, ["Muster GmbH", "DE123", "0.0", "Frau Muster", token])
        verifyRequest(x.request, "POST", "/customer_commercial", "", token)
        compare(x.request.body, '{"company":"Muster GmbH","vatid":"DE123","fuel_surcharge":"0.0","contact_person":"Frau Muster"}')
        var commercial = x.value
        verify(commercial.id > 0)

        var fields = customerFields("Firmenkunde")
        fields[11] = true
        var y = exchange(ServiceCustomer.add_customer, fields.concat([commercial.id, token]))
        var body = JSON.parse(y.request.body)
        compare(Object.keys(body).length, 13)
        compare(Object.keys(body)[12], "commercial_id")
        verify(y.request.body.indexOf('"commercialability":true,"commercial_id":' + commercial.id + "}") > 0)
        compare(y.value.commercial_id, commercial.id)

        compare(reply(ServiceCustomer.get_single_customer_commercial, [commercial.id, token]).company, "Muster GmbH")
    }

    function test_createRefusedByTheBackendGivesMinusOne() {
        // a commercial record that does not exist: the backend answers 422 with a JSON body
        compare(reply(ServiceCustomer.add_customer, customerFields("Ohne").concat([987654, token])), -1)
        compare(reply(ServiceCustomer.add_customer_commercial, [1, "DE", "0.0", "x", token]), -1)
    }

    function test_updateSendsNoCommercialId() {
        var customer = addPrivateCustomer("Vorher")
        var x = exchange(ServiceCustomer.update_customer, [customer.id].concat(customerFields("Nachher"), [token]))
        verifyRequest(x.request, "PUT", "/customer/" + customer.id, "", token)
        var keys = Object.keys(JSON.parse(x.request.body))
        compare(keys.length, 12)
        compare(keys.indexOf("commercial_id"), -1)
        compare(x.value.surname, "Nachher")

        // answered 406 with a JSON body: still not updated
        compare(reply(ServiceCustomer.update_customer, [987654].concat(customerFields("X"), [token])), -1)
    }

    function test_updateCommercialRecord() {
        var commercial = reply(ServiceCustomer.add_customer_commercial, ["Alt AG", "DE1", "1.5", "Herr Alt", token])
        var x = exchange(ServiceCustomer.update_customercommercial,
                         [commercial.id, "Neu AG", "DE2", "2.5", "Frau Neu", token])
        verifyRequest(x.request, "PUT", "/customer_commercial/" + commercial.id, "", token)
        compare(x.request.body, '{"company":"Neu AG","vatid":"DE2","fuel_surcharge":"2.5","contact_person":"Frau Neu"}')
        compare(x.value.company, "Neu AG")
        compare(reply(ServiceCustomer.update_customercommercial, [987654, "a", "b", "c", "d", token]), -1)
    }

    function test_delete() {
        var customer = addPrivateCustomer("Weg")
        var x = exchange(ServiceCustomer.delete_item_customer, [customer.id, token])
        verifyRequest(x.request, "DELETE", "/customer/" + customer.id, "", token)
        compare(x.request.body, "")
        compare(x.value, 0)
        compare(reply(ServiceCustomer.delete_item_customer, [customer.id, token]), -1, "gone already (406)")
        compare(reply(ServiceCustomer.delete_item_customer, [customer.id, "not-a-token"]), -1, "refused token (401)")
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
        var customer = addPrivateCustomer("Bleibt")
        whileServerIsDown(function () {
            expectUnreadableReply()
            compare(replies(ServiceCustomer.get_customers, [1, token], 300), [-1])
            expectUnreadableReply()
            compare(replies(ServiceCustomer.update_customer, [customer.id].concat(customerFields("Z"), [token]), 300), [-1])
            compare(replies(ServiceCustomer.add_customer, customerFields("Z").concat([undefined, token]), 300), [-1])
            compare(replies(ServiceCustomer.delete_item_customer, [customer.id, token], 300), [-1])
        })
        compare(reply(ServiceCustomer.get_customer, [customer.id, token]).surname, "Bleibt")
    }
}
