import QtQuick 2.15
import QtTest 1.15

import "../../src/api/service_invoice.js" as ServiceInvoice
import "OrderRecords.js" as OrderRecords

// Invoices (billed orders), checked over the wire.
ServiceTestCase {
    name: "ServiceInvoice"

    property var taxes: []

    function init() {
        if (taxes.length === 0)
            taxes = reply(ServiceInvoice.get_taxes, [token])
    }

    function addInvoice(text) {
        var created = reply(ServiceInvoice.add_invoice_record, [OrderRecords.order(text, taxes[0].id), "2", token])
        verify(created.id > 0, "created: " + JSON.stringify(created))
        return created
    }

    function test_listAndRead() {
        var x = exchange(ServiceInvoice.get_invoices, [1, token])
        verifyRequest(x.request, "GET", "/invoice", "page=1", token)
        verify(Array.isArray(x.value) && x.value.length > 0)
        compare(reply(ServiceInvoice.get_invoices, [999, token]), -1, "past the last page")

        var y = exchange(ServiceInvoice.get_invoice, [x.value[0].id, token])
        verifyRequest(y.request, "GET", "/invoice/" + x.value[0].id, "", token)
        verify(/\.pdf$/.test(y.value.attachement_link))
    }

    function test_createAndUpdate() {
        var x = exchange(ServiceInvoice.add_invoice_record, [OrderRecords.order("Rechnung", taxes[0].id), "2", token])
        verifyRequest(x.request, "POST", "/invoice", "", token)
        compare(x.request.body, OrderRecords.bodyText("Rechnung", taxes[0].id) + ',"customer_id":"2"}')
        compare(x.value.customer_invoice.id, 2)

        var y = exchange(ServiceInvoice.update_invoice_record,
                         [x.value.id, OrderRecords.order("Korrigiert", taxes[0].id), token])
        verifyRequest(y.request, "PUT", "/invoice/" + x.value.id, "", token)
        compare(y.request.body, OrderRecords.bodyText("Korrigiert", taxes[0].id) + "}")
        compare(y.value.textbeschreibung, "Korrigiert")

        compare(reply(ServiceInvoice.update_invoice_record,
                      [987654, OrderRecords.order("X", taxes[0].id), token]), -1, "406 with a JSON body")
        compare(reply(ServiceInvoice.add_invoice_record,
                      [OrderRecords.order("X", 987654), "2", token]), -1, "refused create (422)")
    }

    function test_delete() {
        var invoice = addInvoice("Storno")
        var x = exchange(ServiceInvoice.delete_invoice, [invoice.id, token])
        verifyRequest(x.request, "DELETE", "/invoice/" + invoice.id, "", token)
        compare(x.value, 0)
        compare(reply(ServiceInvoice.delete_invoice, [invoice.id, token]), -1, "gone already (406)")
        whileServerIsDown(function () {
            compare(replies(ServiceInvoice.delete_invoice, [invoice.id, token], 300), [-1])
        })
    }

    function test_search() {
        var invoice = addInvoice("Eindeutige Rechnung")
        var x = exchange(ServiceInvoice.get_search_invoice, ["eindeutige rechnung", token])
        verifyRequest(x.request, "POST", "/invoice/search", "", token)
        compare(x.request.body, '{"searchkey":"eindeutige rechnung"}')
        verify(x.value.some(function (i) { return i.id === invoice.id }))
        compare(reply(ServiceInvoice.get_search_invoice, ["gibt es nicht", token]), -1)
    }
}
