import QtQuick 2.15
import QtTest 1.15

import "../../src/api/service_warehouse.js" as ServiceWarehouse

// Article groups, categories, stock bookings and delivery orders, checked over the wire.
ServiceTestCase {
    name: "ServiceWarehouse"

    // Generates the open delivery order, if any: the backend keeps one open at a time.
    function closeOpenDeliveryOrder() {
        var open = reply(ServiceWarehouse.check_last_item, [token])
        for (var i = 0; i < open.length; ++i)
            reply(ServiceWarehouse.generate_transaction, [open[i].id, token])
    }

    // Opens a delivery order for customer 1 under the next number; returns the record.
    function openDeliveryOrder() {
        closeOpenDeliveryOrder()
        var last = reply(ServiceWarehouse.get_last_deliveryno, [token])
        var number = last.length === 0 ? 1 : last[0].deliveryorders_no + 1
        var created = reply(ServiceWarehouse.add_deliveryorder, [new Date().toISOString(), number, false, 1, token])
        compare(created.deliveryorders_no, number)
        return created
    }

    // Creates an article group named `name` with 10 pieces; returns the record.
    function addGroup(name) {
        var category = reply(ServiceWarehouse.add_articlegroups_category, ["Textil", token])
        var group = reply(ServiceWarehouse.add_articlegroup, [name, "A-1", "rot", "M", "Hemd", 10, "R1", category.id, "1", token])
        verify(group.id > 0, "created: " + JSON.stringify(group))
        return group
    }

    function test_categories() {
        var keyword = "Kategorie " + Date.now()
        var x = exchange(ServiceWarehouse.add_articlegroups_category, [keyword, token])
        verifyRequest(x.request, "POST", "/articlegroups/category", "", token)
        compare(x.request.body, JSON.stringify({ keyword: keyword }))
        compare(x.value.name, keyword)

        var y = exchange(ServiceWarehouse.get_search_articlegroups_category, [keyword, token])
        verifyRequest(y.request, "POST", "/articlegroups/category/search", "", token)
        compare(y.value[0].id, x.value.id)
        compare(reply(ServiceWarehouse.get_search_articlegroups_category, ["gibt es nicht", token]), -1)
        compare(reply(ServiceWarehouse.add_articlegroups_category, ["", token]), -1, "refused create (422)")
    }

    function test_articleGroups() {
        var category = reply(ServiceWarehouse.add_articlegroups_category, ["Schuhe", token])
        var x = exchange(ServiceWarehouse.add_articlegroup,
                         ["Stiefel", "S-42", "braun", "42", "Leder", 12, "R7", category.id, "1", token])
        verifyRequest(x.request, "POST", "/articlegroups", "", token)
        compare(x.request.body, '{"articlename":"Stiefel","articleno":"S-42","farbe":"braun","size":"42",'
                + '"typ":"Leder","quantity":12,"storage_location":"R7","category_id":' + category.id
                + ',"customer_id":"1"}')
        var group = x.value
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).articlename, "Stiefel")
        verify(reply(ServiceWarehouse.get_all_articlegroup, [token]).some(function (g) { return g.id === group.id }))
        compare(reply(ServiceWarehouse.add_articlegroup,
                      ["X", "X", "X", "X", "X", 1, "X", category.id, "987654", token]), -1, "refused create (422)")

        var s = exchange(ServiceWarehouse.get_search_articlegroup, ["Stiefel", token])
        verifyRequest(s.request, "POST", "/articlegroups_search", "", token)
        compare(s.request.body, '{"articlename":"Stiefel"}')
        verify(s.value.length > 0)
        compare(reply(ServiceWarehouse.get_search_articlegroup, ["gibt es nicht", token]), -1)

        var u = exchange(ServiceWarehouse.update_articlegroup_quantity, [group.id, 7, token])
        verifyRequest(u.request, "PUT", "/articlegroups/" + group.id, "", token)
        compare(u.request.body, '{"quantity":7}')
        compare(u.value, 0)
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity, 7)
        compare(reply(ServiceWarehouse.update_articlegroup_quantity, [group.id, -1, token]), -1, "422")
        compare(reply(ServiceWarehouse.update_articlegroup_quantity, [987654, 1, token]), -1, "406")

        var d = exchange(ServiceWarehouse.delete_item_articlegroup, [group.id, token])
        verifyRequest(d.request, "DELETE", "/articlegroups/" + group.id, "", token)
        compare(d.value, 0)
        compare(reply(ServiceWarehouse.delete_item_articlegroup, [group.id, token]), -1, "gone already (406)")
    }

    function test_bookAndCancelADeliveryOrder() {
        closeOpenDeliveryOrder()
        var x = exchange(ServiceWarehouse.get_last_deliveryno, [token])
        verifyRequest(x.request, "GET", "/deliveryorder/getlastno", "", token)
        var number = x.value.length === 0 ? 1 : x.value[0].deliveryorders_no + 1

        var date = new Date().toISOString()
        var o = exchange(ServiceWarehouse.add_deliveryorder, [date, number, false, 1, token])
        verifyRequest(o.request, "POST", "/deliveryorder", "", token)
        compare(o.request.body, '{"delivery_date":"' + date + '","deliveryorders_no":' + number
                + ',"created":false,"customer_id":1}')
        var order = o.value
        compare(reply(ServiceWarehouse.add_deliveryorder, [date, number, false, 1, token]), -1, "number taken (409)")
        compare(reply(ServiceWarehouse.add_deliveryorder, [date, number + 1, false, 1, token]), -1, "one open already (409)")

        var open = exchange(ServiceWarehouse.check_last_item, [token])
        verifyRequest(open.request, "GET", "/deliveryorder/checklast", "", token)
        compare(open.value[0].id, order.id)

        var group = addGroup("Socken")
        var b = exchange(ServiceWarehouse.add_articleinventory, ["4006381333931", 3, String(group.id), number, token])
        verifyRequest(b.request, "POST", "/articleinventory", "", token)
        compare(b.request.body, '{"eanno":"4006381333931","quantity":3,"articlegroup_id":"' + group.id
                + '","deliveryorder_no":' + number + '}')
        var booking = b.value
        verify(reply(ServiceWarehouse.get_all_articleinventory, [token]).some(function (i) { return i.id === booking.id }))
        compare(reply(ServiceWarehouse.delete_item_articlegroup, [group.id, token]), -1, "stock booked (406)")

        var d = exchange(ServiceWarehouse.delete_item_articleinventory, [booking.id, token])
        verifyRequest(d.request, "DELETE", "/articleinventory/" + booking.id, "", token)
        compare(d.value, 0)
        compare(reply(ServiceWarehouse.delete_item_articleinventory, [booking.id, token]), -1, "gone already (406)")

        reply(ServiceWarehouse.add_articleinventory, ["4006381333932", 1, String(group.id), number, token])
        compare(reply(ServiceWarehouse.delete_last_created_deliveryorder, [order.id, token]), -1, "stock booked (406)")
        var s = exchange(ServiceWarehouse.delete_series_of_articleinventory, [number, token])
        verifyRequest(s.request, "DELETE", "/articleinventory/series/" + number, "", token)
        compare(s.value, 0)

        var c = exchange(ServiceWarehouse.delete_last_created_deliveryorder, [order.id, token])
        compare(c.request.method, "DELETE")
        compare(c.request.path, "/deliveryorder/" + order.id)
        compare(contentType(c.request), "application/json", "this delete sends all three headers")
        compare(header(c.request, "Accept"), "application/json")
        compare(header(c.request, "Authorization"), "Bearer " + token)
        compare(c.value, 0)
        compare(reply(ServiceWarehouse.delete_last_created_deliveryorder, [order.id, token]), -1, "gone already (406)")
    }

    function test_generateHandsTheDeliveryNoteBytes() {
        var order = openDeliveryOrder()
        var x = exchange(ServiceWarehouse.generate_transaction, [order.id, token])
        verifyRequest(x.request, "GET", "/deliveryorder/generate/" + order.id, "", token)
        verify(x.value instanceof ArrayBuffer, "raw bytes")
        var head = new Uint8Array(x.value, 0, 5)
        compare(String.fromCharCode(head[0], head[1], head[2], head[3], head[4]), "%PDF-")
        var open = reply(ServiceWarehouse.check_last_item, [token])
        verify(open.length === 0 || open[0].id !== order.id, "generated, so no longer open")

        // an error page is not a delivery note
        compare(reply(ServiceWarehouse.generate_transaction, [987654, token]), -1)
    }

    function test_deadConnection() {
        var order = openDeliveryOrder()
        whileServerIsDown(function () {
            compare(replies(ServiceWarehouse.generate_transaction, [order.id, token], 300), [-1])
            compare(replies(ServiceWarehouse.delete_last_created_deliveryorder, [order.id, token], 300), [-1])
            compare(replies(ServiceWarehouse.delete_series_of_articleinventory, [order.deliveryorders_no, token], 300), [-1])
            compare(replies(ServiceWarehouse.update_articlegroup_quantity, [1, 1, token], 300), [-1])
            compare(replies(ServiceWarehouse.add_deliveryorder, ["", 99, false, 1, token], 300), [-1])
            expectUnreadableReply()
            compare(replies(ServiceWarehouse.check_last_item, [token], 300), [-1])
        })
        compare(reply(ServiceWarehouse.check_last_item, [token])[0].id, order.id, "still open")
    }
}
