import QtQuick 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// The warehouse's workflows on the Warehouse object itself, without a view,
// against the reference server (the canned server where the backend must
// fail or answer late): reading the open delivery order at the login and
// only then, opening the next one, booking with its taken-back entry,
// cancelling and generating. The functions share the server's state.
ServiceTestCase {
    id: _case
    name: "Warehouse"

    Component {
        id: _warehouseComponent
        Warehouse {}
    }

    SignalSpy { id: _reportedSpy; signalName: "reported" }
    SignalSpy { id: _bookedSpy; signalName: "booked" }
    SignalSpy { id: _questionSpy; signalName: "cancelQuestion" }
    SignalSpy { id: _changedSpy; signalName: "stockChanged" }

    property var warehouse: null
    // the file URLs handed to the opener
    property var opened: []

    function init() {
        if (!session.loggedIn)
            logInSession()
        token = session.token
        opened = []
        warehouse = createTemporaryObject(_warehouseComponent, _case, { session: session })
        warehouse.openFile = function (url) {
            opened = opened.concat([String(url)])
            return true
        }
        var spies = [_reportedSpy, _bookedSpy, _questionSpy, _changedSpy]
        for (var i = 0; i < spies.length; ++i) {
            spies[i].target = warehouse
            spies[i].clear()
        }
        // the check of its creation is in
        tryCompare(warehouse, "busy", false, 10000)
        testServer.clearRecords()
    }

    function cleanup() {
        cannedServer.clearAnswers()
    }

    // [workflow, title, state] of what the warehouse reported last
    function lastReport() {
        verify(_reportedSpy.count > 0, "something was reported")
        var args = _reportedSpy.signalArguments[_reportedSpy.count - 1]
        return [args[0], args[1][0], args[1][2]]
    }

    // "METHOD /path" of the requests the reference server received
    function sent() {
        return testServer.records().map(function (r) { return r.method + " " + r.path })
    }

    // the open delivery order, opened for the test when none is
    function openDeliveryOrder() {
        var open = reply(ServiceWarehouse.check_last_item, [token])
        if (open.length > 0)
            return open[0]
        var last = reply(ServiceWarehouse.get_last_deliveryno, [token])
        var number = last.length > 0 ? last[0].deliveryorders_no + 1 : 1
        return reply(ServiceWarehouse.add_deliveryorder, [new Date(), number, false, 1, token])
    }

    function closeOpenDeliveryOrders() {
        var open = reply(ServiceWarehouse.check_last_item, [token])
        for (var i = 0; i < open.length; ++i)
            reply(ServiceWarehouse.generate_transaction, [open[i].id, token])
    }

    function newGroup(name, quantity) {
        return reply(ServiceWarehouse.add_articlegroup,
                     [name, "W-" + quantity, "grün", "M", "Testware", quantity, "W-01", undefined, "1", token])
    }

    function bookingsOf(group) {
        return reply(ServiceWarehouse.get_all_articleinventory, [token]).filter(function (b) {
            return b.articlegroup_id === group.id
        })
    }

    function quantityOf(group) {
        return reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity
    }

    // The open delivery order is read at each login; a logout voids a check on its way.
    function test_loginReadsTheOpenDeliveryOrderAndALogoutVoidsIt() {
        var order = openDeliveryOrder()
        warehouse.check()
        tryCompare(warehouse, "open", true, 10000)
        compare(warehouse.openOrder.id, order.id)
        cannedServer.answer("/deliveryorder/checklast", 200, "[]", true)
        warehouse.check()
        tryVerify(function () { return !cannedServer.answers("/deliveryorder/checklast") }, 10000, "the check is out")
        logOutSession()
        cannedServer.release()
        tryCompare(warehouse, "busy", false, 10000)
        compare(warehouse.open, true, "an answer after the logout counts no more")
        testServer.clearRecords()
        warehouse.check()
        wait(100)
        compare(sent(), [], "nothing is read while logged out")
        cannedServer.answer("/deliveryorder/checklast", 200, "[]")
        logInSession()
        tryCompare(warehouse, "open", false, 10000)
        compare(warehouse.openOrder, null)
    }

    function test_openingTakesTheNextNumberAndOnlyOneIsOpen() {
        closeOpenDeliveryOrders()
        var last = reply(ServiceWarehouse.get_last_deliveryno, [token])[0].deliveryorders_no
        warehouse.openDeliveryOrder(1)
        verify(warehouse.creating)
        tryCompare(warehouse, "creating", false, 10000)
        compare(warehouse.open, true)
        compare(warehouse.openOrder.deliveryorders_no, last + 1)
        compare(warehouse.openOrder.customer_id, 1)
        compare(_reportedSpy.count, 0)
        // a second one is refused while it is open
        testServer.clearRecords()
        warehouse.openDeliveryOrder(1)
        tryCompare(warehouse, "creating", false, 10000)
        compare(lastReport(), ["opening", "Lieferschein nicht angelegt", 4])
        compare(sent(), ["GET /deliveryorder/checklast"])
    }

    // What a booking sends and leaves behind, when everything works and when
    // a step fails. `answer`: the canned reply of one step.
    function test_booking_data() {
        var entry = JSON.stringify({ "id": 1, "eanno": "222", "quantity": 5 }) + " kaputt"
        return [
            { tag: "booked", pieces: 5, booked: 1, left: 7, bookings: 1,
              sent: ["GET /deliveryorder/getlastno", "POST /articleinventory", "PUT /articlegroups/"] },
            { tag: "lowering refused: the entry is taken back", pieces: 5, answer: ["group", 500, "{}"],
              left: 12, bookings: 0, report: ["booking", "Nichts gebucht", 4] },
            { tag: "entry stored, its reply unreadable", pieces: 5, answer: ["entry", 201, entry], unreadable: true,
              booked: 1, left: 7, bookings: 0 },
            // nothing invites a second booking of the same pieces; Qt may also
            // hand over the 201 it read before the cut (then as the row above)
            { tag: "entry's reply cut short", pieces: 5, answer: ["entry", 201, entry, "cut"], left: 12, bookings: 0,
              report: ["booking", "Buchung unklar", 4], text: "Übersicht nach", asStoredWhen201: true },
            { tag: "no group chosen", pieces: 5, noGroup: true, left: 12, bookings: 0, sent: [],
              report: ["booking", "Keine Artikelgruppe gewählt", 3] },
            { tag: "no pieces", pieces: 0, left: 12, bookings: 0, sent: [], report: ["booking", "Nichts gebucht", 3],
              text: "Menge muss mindestens 1 sein" },
            { tag: "latest delivery order generated", pieces: 5, answer: ["lastno", 200, "generated"], left: 12,
              bookings: 0, sent: [], report: ["booking", "Kein offener Lieferschein", 3] },
            { tag: "no delivery order ever", pieces: 5, answer: ["lastno", 200, "[]"], left: 12, bookings: 0, sent: [],
              report: ["booking", "Kein offener Lieferschein", 3] }
        ]
    }

    function test_booking(data) {
        var order = openDeliveryOrder()
        var group = newGroup("Lagerjacke " + data.tag, 12)
        if (data.answer) {
            var paths = { "group": "/articlegroups/" + group.id, "entry": "/articleinventory",
                          "lastno": "/deliveryorder/getlastno" }
            var body = data.answer[2] !== "generated" ? data.answer[2]
                    : JSON.stringify([{ "id": order.id, "deliveryorders_no": order.deliveryorders_no, "created": true }])
            if (data.answer[3] === "cut")
                cannedServer.answerCut(paths[data.answer[0]], data.answer[1], body)
            else
                cannedServer.answer(paths[data.answer[0]], data.answer[1], body)
        }
        if (data.unreadable)
            expectUnreadableReply()
        testServer.clearRecords()
        warehouse.book("222", data.pieces, data.noGroup ? "" : String(group.id), 12)
        tryCompare(warehouse, "booking", false, 10000)
        if (data.asStoredWhen201 && _bookedSpy.count === 1)
            data = { booked: 1, left: 7, bookings: 0 }
        compare(_bookedSpy.count, data.booked || 0)
        if (data.report)
            compare(lastReport(), data.report)
        else
            compare(_reportedSpy.count, 0)
        if (data.text) {
            var text = _reportedSpy.signalArguments[_reportedSpy.count - 1][1][1]
            verify(text.indexOf(data.text) >= 0, text)
        }
        if (data.sent)
            compare(sent().map(function (line) { return line.replace(/\d+$/, "") }), data.sent)
        compare(quantityOf(group), data.left)
        compare(bookingsOf(group).length, data.bookings)
    }

    // Declined, nothing is sent; confirmed, the bookings go, then exactly that
    // delivery order, and every piece is back in its group.
    function test_cancelAsksThenDeletesBookingsThenTheOrder() {
        var order = openDeliveryOrder()
        var group = newGroup("Stornoware", 9)
        reply(ServiceWarehouse.add_articleinventory, ["333", 4, String(group.id), order.deliveryorders_no, token])
        reply(ServiceWarehouse.update_articlegroup_quantity, [group.id, 5, token])
        for (var round = 0; round < 2; ++round) {
            _questionSpy.clear()
            warehouse.cancel()
            verify(warehouse.cancelling)
            tryCompare(_questionSpy, "count", 1, 10000)
            verify(_questionSpy.signalArguments[0][0].indexOf("Lieferschein Nr. " + order.deliveryorders_no) === 0)
            testServer.clearRecords()
            if (round === 0) {
                warehouse.declineCancel()
                compare(warehouse.cancelling, false)
                wait(100)
                compare(sent(), [])
            }
        }
        warehouse.confirmCancel()
        tryCompare(warehouse, "cancelling", false, 10000)
        compare(sent().slice(0, 2), ["DELETE /articleinventory/series/" + order.deliveryorders_no,
                                     "DELETE /deliveryorder/" + order.id])
        compare(lastReport(), ["stock", "Lieferschein storniert", 2])
        verify(_changedSpy.count > 0)
        tryCompare(warehouse, "open", false, 10000)
        compare(quantityOf(group), 9)
    }

    // The note arrives and is opened; a reply cut short leaves it pending
    // until generateNote() fetches its document again.
    function test_generate_data() {
        return [
            { tag: "generated", first: null, opened: 1 },
            { tag: "refused", first: [500, JSON.stringify({ "error": "kaputt" })], opened: 0,
              report: ["note", "Lieferschein nicht erstellt", 4] },
            // generated on the backend, both replies with the document cut short
            { tag: "cut short, fetched again", cut: "%PDF-1.4\n% halb\n%%EOF\n", pending: true, opened: 1 }
        ]
    }

    function test_generate(data) {
        var order = openDeliveryOrder()
        warehouse.check()
        tryCompare(warehouse, "open", true, 10000)
        var path = "/deliveryorder/generate/" + order.id
        if (data.cut) {
            reply(ServiceWarehouse.generate_transaction, [order.id, token])
            cannedServer.answer("/deliveryorder/checklast", 200, JSON.stringify([order]))
            cannedServer.answerCut(path, 200, data.cut)
            cannedServer.answerCut(path, 200, data.cut)
        } else if (data.first) {
            cannedServer.answer(path, data.first[0], data.first[1])
        }
        warehouse.generateNote()
        tryCompare(warehouse, "generating", false, 10000)
        if (data.pending) {
            compare(warehouse.pendingNote.id, order.id)
            compare(opened.length, 0)
            warehouse.generateNote()
            tryCompare(warehouse, "generating", false, 10000)
            compare(warehouse.pendingNote, null)
        }
        compare(opened.length, data.opened)
        if (data.report)
            compare(lastReport(), data.report)
        if (data.opened)
            verify(/Lieferschein-\d+\.pdf$/.test(opened[0]), opened[0])
        verify(_changedSpy.count > 0, "the stock is read again")
        closeOpenDeliveryOrders()
    }
}
