import QtQuick 2.15
import QtTest 1.15

import "../../src/api/request.js" as Request
import "../../src/api/service_assignment.js" as ServiceAssignment
import "../../src/api/service_customer.js" as ServiceCustomer
import "OrderRecords.js" as OrderRecords

// The predicates callers read replies with, on what the services really hand them.
ServiceTestCase {
    name: "Request"

    function test_predicatesTellTheRepliesApart() {
        var page = reply(ServiceCustomer.get_customers, [1, token])
        verify(Request.isList(page))
        verify(!Request.isRecord(page))
        verify(!Request.isFailure(page) && !Request.isEndOfPages(page))

        var record = reply(ServiceCustomer.get_customer, [page[0].id, token])
        verify(Request.isRecord(record))
        verify(!Request.isList(record) && !Request.isFailure(record))

        var pastTheEnd = reply(ServiceCustomer.get_customers, [1000, token])
        verify(Request.isEndOfPages(pastTheEnd))
        verify(!Request.isList(pastTheEnd) && !Request.isRecord(pastTheEnd))
        verify(Request.isNoHits(reply(ServiceCustomer.get_search_customer_fullname, ["niemand-zzqx", token])))
        verify(Request.isFailure(reply(ServiceCustomer.get_customer, [987654, token])), "unknown customer")

        whileServerIsDown(function () {
            expectUnreadableReply()
            var dead = reply(ServiceCustomer.get_customers, [1, token])
            verify(Request.isFailure(dead) && !Request.isList(dead))
        })
        verify(!Request.isRecord(null) && !Request.isRecord("503") && !Request.isRecord(0))
    }

    // What became of a create, and the reason a refusal gives: one line of
    // plain text, bounded, never a page of markup.
    function test_outcomeOfAStore_data() {
        var longText = "<b>Zu lang</b>\n" + new Array(80).join("Grund ")
        return [
            { tag: "stored", status: 201, body: '{"id": 9001}', outcome: Request.STORED, reason: "" },
            { tag: "stored, reply unreadable", status: 201, body: '{"id": 90', outcome: Request.STORED_UNREAD,
              reason: "" },
            { tag: "refused with a reason", status: 422, body: '{"error": "\\"verkaufspreis\\" is not an amount of money"}',
              outcome: Request.REFUSED, reason: '"verkaufspreis" is not an amount of money' },
            { tag: "a long reason", status: 422, body: JSON.stringify({ "error": longText }), outcome: Request.REFUSED,
              reason: ("<b>Zu lang</b> " + new Array(80).join("Grund ")).substring(0, Request.REASON_LENGTH - 1) + "…" },
            { tag: "an error page", status: 502, body: "<html><body>Bad Gateway</body></html>",
              outcome: Request.REFUSED, reason: "" },
            // the engine reports these two as a lost connection unless the core keeps what arrived
            { tag: "refused as a conflict", status: 409, body: '{"error": "delivery order 4 is still open"}',
              outcome: Request.REFUSED, reason: "delivery order 4 is still open" },
            { tag: "refused as gone", status: 410, body: '{"error": "gone"}', outcome: Request.REFUSED, reason: "gone" },
            { tag: "no answer", dropped: true, outcome: Request.UNKNOWN, reason: "" }
        ]
    }

    function test_outcomeOfAStore(data) {
        cannedServer.clearAnswers()
        if (data.dropped)
            cannedServer.drop("/assignment", 3)
        else
            cannedServer.answer("/assignment", data.status, data.body)
        if (data.outcome === Request.STORED_UNREAD)
            expectUnreadableReply()
        var received = null
        ServiceAssignment.add_assignment_record(OrderRecords.order("Ausgang", 1), "1", token,
                                                function (value, status, reason) { received = [value, status, reason] })
        tryVerify(function () { return received !== null }, 10000, "answered")
        compare(Request.storeOutcome(received[0], received[1]), data.outcome)
        compare(received[2], data.reason)
    }
}
