import QtQuick 2.15
import QtTest 1.15

import "../../src/api/request.js" as Request
import "../../src/api/service_customer.js" as ServiceCustomer

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
}
