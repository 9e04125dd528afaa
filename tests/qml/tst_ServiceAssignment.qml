import QtQuick 2.15
import QtTest 1.15

import "../../src/api/service_assignment.js" as ServiceAssignment
import "../../src/api/service_invoice.js" as ServiceInvoice
import "../../src/api/request.js" as Request
import "OrderRecords.js" as OrderRecords

// Orders, their billing and the tax list, checked over the wire.
ServiceTestCase {
    name: "ServiceAssignment"

    property var taxes: []

    function init() {
        if (taxes.length === 0)
            taxes = reply(ServiceAssignment.get_taxes, [token])
    }

    // Captures an order with `text` for customer "1"; returns the created record.
    function addOrder(text) {
        var created = reply(ServiceAssignment.add_assignment_record, [OrderRecords.order(text, taxes[0].id), "1", token])
        verify(created.id > 0, "created: " + JSON.stringify(created))
        return created
    }

    function test_taxList() {
        var x = exchange(ServiceAssignment.get_taxes, [token])
        verifyRequest(x.request, "GET", "/taxes", "", token)
        verify(x.value.length >= 2)
        verify(typeof x.value[0].tax === "string" && x.value[0].id > 0)
    }

    function test_listAPage() {
        var x = exchange(ServiceAssignment.get_assignments, [1, token])
        verifyRequest(x.request, "GET", "/assignment", "page=1", token)
        verify(Array.isArray(x.value) && x.value.length > 0)
        compare(reply(ServiceAssignment.get_assignments, [999, token]), -1, "past the last page")
    }

    function test_createEndsWithTheCustomer() {
        var x = exchange(ServiceAssignment.add_assignment_record, [OrderRecords.order("Neu", taxes[0].id), "1", token])
        verifyRequest(x.request, "POST", "/assignment", "", token)
        compare(x.request.body, OrderRecords.bodyText("Neu", taxes[0].id) + ',"customer_id":"1"}')
        verify(x.value.id > 0)
        compare(reply(ServiceAssignment.get_assignment, [x.value.id, token]).textbeschreibung, "Neu")

        // refused (422, unknown customer): not a created order
        compare(reply(ServiceAssignment.add_assignment_record,
                      [OrderRecords.order("Neu", taxes[0].id), "987654", token]), -1)
    }

    function test_updateHasNoCustomer() {
        var order = addOrder("Alt")
        var x = exchange(ServiceAssignment.update_assignment_record,
                         [order.id, OrderRecords.order("Geändert", taxes[1].id), token])
        verifyRequest(x.request, "PUT", "/assignment/" + order.id, "", token)
        compare(x.request.body, OrderRecords.bodyText("Geändert", taxes[1].id) + "}")
        compare(x.value.textbeschreibung, "Geändert")
        // 406 with a JSON body is still "not updated"
        compare(reply(ServiceAssignment.update_assignment_record,
                      [987654, OrderRecords.order("X", taxes[0].id), token]), -1)
    }

    // The functions that take an order's values by position (in the order of
    // the body's keys) send what their record-taking siblings send: every
    // key, in the backend's order, the customer last on a create only.
    function test_positionalFunctionsSendTheRecordsBody_data() {
        return [
            { tag: "add_assignment", path: "/assignment", positional: ServiceAssignment.add_assignment,
              byRecord: ServiceAssignment.add_assignment_record },
            { tag: "update_assignment", path: "/assignment/", positional: ServiceAssignment.update_assignment,
              byRecord: ServiceAssignment.update_assignment_record, create: ServiceAssignment.add_assignment_record },
            { tag: "add_invoice", path: "/invoice", positional: ServiceInvoice.add_invoice,
              byRecord: ServiceInvoice.add_invoice_record },
            { tag: "update_invoice", path: "/invoice/", positional: ServiceInvoice.update_invoice,
              byRecord: ServiceInvoice.update_invoice_record, create: ServiceInvoice.add_invoice_record }
        ]
    }

    function test_positionalFunctionsSendTheRecordsBody(data) {
        var order = OrderRecords.order("Gleich", taxes[0].id)
        var values = ServiceAssignment.ORDER_KEYS.map(function (key) { return order[key] })
        // a change names the order first, a create the customer after the order
        var id = data.create ? reply(data.create, [order, "2", token]).id : undefined
        var before = data.create ? [id] : []
        var after = data.create ? [] : ["2"]
        var positional = exchange(data.positional, before.concat(values, after, [token]))
        var byRecord = exchange(data.byRecord, before.concat([order], after, [token]))
        compare(positional.request.path, data.path + (data.create ? id : ""))
        compare(positional.request.body, OrderRecords.bodyText("Gleich", taxes[0].id)
                + (data.create ? "}" : ',"customer_id":"2"}'))
        compare(byRecord.request.body, positional.request.body)
        compare(positional.value.textbeschreibung, "Gleich")
    }

    function test_delete() {
        var order = addOrder("Weg")
        var x = exchange(ServiceAssignment.delete_assignment, [order.id, token])
        verifyRequest(x.request, "DELETE", "/assignment/" + order.id, "", token)
        compare(x.value, 0)
        compare(reply(ServiceAssignment.delete_assignment, [order.id, token]), -1, "gone already (406)")
    }

    function test_search() {
        var order = addOrder("Suchbarer Text")
        var x = exchange(ServiceAssignment.get_search_assignment, ["suchbarer", token])
        verifyRequest(x.request, "POST", "/assignment/search", "", token)
        compare(x.request.body, '{"searchkey":"suchbarer"}')
        verify(x.value.some(function (o) { return o.id === order.id }))
        compare(reply(ServiceAssignment.get_search_assignment, ["gibt es nicht", token]), -1)
    }

    function test_billingTakesAPreviewAndItsConfirmation() {
        var order = addOrder("Zu berechnen")
        var x = exchange(ServiceAssignment.checkout_assignment_single, [order.id, token])
        verifyRequest(x.request, "GET", "/assignment/checkout/single/" + order.id, "", token)
        var preview = x.value
        verify(preview.id > 0)
        compare(preview.assignment.id, order.id)

        var c = exchange(ServiceAssignment.confirm_checkout_assignment, [preview.id, token])
        verifyRequest(c.request, "POST", "/assignment/checkout/confirm/" + preview.id, "", token)
        compare(c.request.body, "")
        compare(c.value, 0)
        compare(reply(ServiceAssignment.confirm_checkout_assignment, [preview.id, token]), -1, "confirmed already (409)")
    }

    function test_previewOfAllOpenOrdersOfACustomer() {
        var order = addOrder("Sammelrechnung")
        var customerId = order.customer_assignment.id
        var x = exchange(ServiceAssignment.checkout_assignment_multiple, [customerId, token])
        verifyRequest(x.request, "GET", "/assignment/checkout/multiple/" + customerId, "", token)
        verify(Array.isArray(x.value.assignment))
        verify(x.value.assignment.some(function (o) { return o.id === order.id }))
    }

    function test_statusesTheBackendDoesNotSendHere() {
        // confirming, setting a quantity and removing one booking count only a 200;
        // other deletes count any 2xx
        compare(Request.confirmed({ status: 201 }), -1)
        compare(Request.confirmed({ status: 204 }), -1)
        compare(Request.deleted({ status: 204 }), 0)
    }

    function test_deadConnection() {
        var order = addOrder("Bleibt")
        whileServerIsDown(function () {
            compare(replies(ServiceAssignment.delete_assignment, [order.id, token], 300), [-1])
            compare(replies(ServiceAssignment.confirm_checkout_assignment, [1, token], 300), [-1])
            expectUnreadableReply()
            compare(replies(ServiceAssignment.update_assignment_record,
                            [order.id, OrderRecords.order("X", taxes[0].id), token], 300), [-1])
            expectUnreadableReply()
            compare(replies(ServiceAssignment.get_assignments, [1, token], 300), [-1])
        })
        compare(reply(ServiceAssignment.get_assignment, [order.id, token]).textbeschreibung, "Bleibt")
    }
}
