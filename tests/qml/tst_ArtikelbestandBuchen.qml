import QtQuick 2.15
import QtTest 1.15

import "../../src"
import "../../src/views/lager"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// The booking view against the reference server: what the form fills in and
// a booking sends, in which order; that a failed lowering of the group takes
// the stock entry back and keeps the form; that nothing is booked twice or
// without an open delivery order; and that the keyboard shortcut books only
// while the view is in front. (The booking's own failures: tst_Warehouse.)
ShellTestCase {
    id: _case
    name: "ArtikelbestandBuchen"
    width: 1632
    height: 918

    Component {
        id: _viewComponent
        ArtikelbestandBuchen {
            width: _case.width
            height: _case.height
        }
    }

    Component {
        id: _warehouseComponent
        Warehouse {}
    }

    Component {
        id: _surfaceComponent
        WorkingSurface {
            session: _case.session
            width: _case.width
            height: _case.height
        }
    }

    property var view: null

    function init() {
        testServer.clearRecords()
    }

    function cleanup() {
        cannedServer.clearAnswers()
    }

    function createView() {
        var warehouse = createTemporaryObject(_warehouseComponent, _case, { session: session })
        view = createTemporaryObject(_viewComponent, _case, { warehouse: warehouse })
        waitForRendering(view)
        return view
    }

    function field(name) {
        return findChild(view, name)
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

    // a new article group with `quantity` pieces still to book
    function newGroup(name, quantity) {
        var group = reply(ServiceWarehouse.add_articlegroup,
                          [name, "T-" + quantity, "blau", "L", "Testware", quantity, "T-01", undefined, "1", token])
        verify(group.id > 0, "group created")
        return group
    }

    // types the group's name and picks the only suggestion
    function chooseGroup(group) {
        var suggestions = field("articleName")
        suggestions.controlText = group.articlename
        tryCompare(suggestions.searchListModel, "count", 1, 10000)
        suggestions.itemclicked(0)
        tryCompare(view, "_articlegroupid", String(group.id))
    }

    function bookingsOf(group) {
        return reply(ServiceWarehouse.get_all_articleinventory, [token]).filter(function (b) {
            return b.articlegroup_id === group.id
        })
    }

    function requests() {
        return testServer.records().filter(function (r) { return r.path.indexOf("search") < 0 })
    }

    // Scans at the EAN field, typed faster than the bookings go: each Return
    // books the EAN with the quantity in "Menge" (1 for 0) and keeps the group
    // and the focus for the next; those typed meanwhile wait and go in order;
    // one beyond the group's pieces, or without a group, is refused. The bell
    // rings for each.
    function test_scans_data() {
        return [
            { tag: "one piece each", pieces: 12, menge: 0, eans: ["111", "222", "333"], booked: ["111", "222", "333"],
              left: 9, refused: 0 },
            { tag: "two pieces each, the third too many", pieces: 5, menge: 2, eans: ["111", "222", "333"],
              booked: ["111", "222"], left: 1, refused: 1 },
            { tag: "no group chosen", pieces: 5, menge: 0, noGroup: true, eans: ["111"], booked: [], left: 5, refused: 1 }
        ]
    }

    function test_scans(data) {
        openDeliveryOrder()
        var group = newGroup("Scanjacke " + data.tag, data.pieces)
        createView()
        if (!data.noGroup)
            chooseGroup(group)
        field("menge").value = data.menge
        var ean = field("ean")
        ean.forceActiveFocus()
        for (var i = 0; i < data.eans.length; ++i) {
            ean.text = data.eans[i]
            keyClick(Qt.Key_Return)
            compare(ean.text, "", "the field is ready for the next scan at once")
        }
        tryCompare(view.bell, "confirmed", data.booked.length, 15000)
        tryCompare(view.bell, "refused", data.refused, 15000)
        tryCompare(view.warehouse, "booking", false, 10000)
        compare(bookingsOf(group).sort(function (a, b) { return a.id - b.id }).map(function (b) { return b.eanno }),
                data.booked)
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity, data.left)
        verify(ean.activeFocus, "the next scan goes to the EAN field")
        compare(view._articlegroupid, data.noGroup ? "" : String(group.id), "the group stays chosen")
    }

    function test_bookingSendsTheEntryThenTheLoweredQuantity() {
        var order = openDeliveryOrder()
        var group = newGroup("Buchungsjacke", 12)
        createView()
        chooseGroup(group)
        compare(field("typ").text, "Testware")
        compare(field("articleno").text, "T-12")
        compare(field("lager").text, "T-01")
        compare(field("menge").to, 12)
        compare(field("remaining").text, "12")
        field("menge").value = 5
        compare(field("remaining").text, "7")
        field("menge").value = 20
        compare(field("menge").value, 12, "at most the group's quantity")
        field("menge").value = 5
        field("ean").text = "4006381333931"
        saveWindowGrab("warehouse-booking-form.png")

        testServer.clearRecords()
        mouseClick(field("saveButton"))
        tryCompare(view.confirmation, "opened", true, 10000)
        saveWindowGrab("warehouse-booking-saved.png")
        var sent = requests()
        compare(sent.map(function (r) { return r.method + " " + r.path }),
                ["GET /deliveryorder/getlastno", "POST /articleinventory", "PUT /articlegroups/" + group.id])
        compare(JSON.parse(sent[1].body), { "eanno": "4006381333931", "quantity": 5,
                    "articlegroup_id": String(group.id), "deliveryorder_no": order.deliveryorders_no })
        compare(JSON.parse(sent[2].body), { "quantity": 7 })
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity, 7)
        // the form is empty for the next booking, and typing goes into the article name
        compare(field("articleName").controlText, "")
        compare(field("typ").text, "")
        compare(field("remaining").text, "0")
        keyClick(Qt.Key_Escape)
        tryCompare(view.confirmation, "visible", false)
        verify(field("articleName").textfield.activeFocus)
        compare(view.banner.show, false)
    }

    function test_failedLoweringTakesTheEntryBack() {
        openDeliveryOrder()
        var group = newGroup("Rücknahmejacke", 12)
        createView()
        chooseGroup(group)
        field("menge").value = 5
        field("ean").text = "111"
        cannedServer.answer("/articlegroups/" + group.id, 500, JSON.stringify({ "error": "database locked" }))
        mouseClick(field("saveButton"))
        tryCompare(view, "booking", false, 10000)
        compare(view.banner.settings[0], "Nichts gebucht")
        compare(view.banner.settings[2], 4)
        verify(!view.confirmation.opened)
        // no stock entry left behind, and the group has all its pieces
        compare(bookingsOf(group).length, 0)
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity, 12)
        // the form keeps what was typed, ready to try again
        compare(field("ean").text, "111")
        compare(field("menge").value, 5)
    }

    function test_nothingIsBookedTwiceOrWithoutAnOpenDeliveryOrder() {
        var order = openDeliveryOrder()
        var group = newGroup("Doppeljacke", 10)
        createView()
        testServer.clearRecords()

        // without a chosen group
        mouseClick(field("saveButton"))
        compare(view.banner.settings[0], "Keine Artikelgruppe gewählt")
        compare(view.banner.settings[2], 3)
        compare(requests().length, 0)

        // while a booking is outstanding
        chooseGroup(group)
        field("menge").value = 2
        cannedServer.answer("/deliveryorder/getlastno", 200,
                            JSON.stringify([{ "id": order.id, "deliveryorders_no": order.deliveryorders_no, "created": false }]), true)
        testServer.clearRecords()
        mouseClick(field("saveButton"))
        verify(view.booking)
        view.saveProcess()
        keyClick(Qt.Key_Return, Qt.ControlModifier)
        // the delivery order's reply is held only once its request has come in
        tryVerify(function () { return !cannedServer.answers("/deliveryorder/getlastno") }, 10000)
        cannedServer.release()
        tryCompare(view.confirmation, "opened", true, 10000)
        compare(requests().filter(function (r) { return r.method === "POST" }).length, 1)
        compare(bookingsOf(group).length, 1)
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity, 8)
        view.confirmation.close()
        tryCompare(view.confirmation, "visible", false)

        // when the latest delivery order has been generated, or there is none
        var answers = [JSON.stringify([{ "id": order.id, "deliveryorders_no": order.deliveryorders_no, "created": true }]), "[]"]
        for (var i = 0; i < answers.length; ++i) {
            chooseGroup(group)
            field("menge").value = 1
            cannedServer.answer("/deliveryorder/getlastno", 200, answers[i])
            testServer.clearRecords()
            mouseClick(field("saveButton"))
            tryCompare(view, "booking", false, 10000)
            compare(view.banner.settings.slice(0, 1), ["Kein offener Lieferschein"])
            compare(view.banner.settings[2], 3)
            compare(requests().length, 0)
            view.banner.run = false
        }
        compare(bookingsOf(group).length, 1)
    }

    // typed into the box and booked with the keys, without confirming the number first
    function test_typedQuantityCountsWithTheShortcut() {
        openDeliveryOrder()
        var group = newGroup("Tastenjacke", 9)
        createView()
        chooseGroup(group)
        compare(field("articleName").searchfield.visible, false, "nothing left to choose")
        var menge = field("menge")
        mouseClick(menge.contentItem)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_4)
        testServer.clearRecords()
        keyClick(Qt.Key_Return, Qt.ControlModifier)
        tryCompare(view.confirmation, "opened", true, 10000)
        var post = requests().filter(function (r) { return r.method === "POST" })[0]
        compare(JSON.parse(post.body).quantity, 4)
        compare(reply(ServiceWarehouse.get_single_articlegroup, [group.id, token]).quantity, 5)
    }

    function test_shortcutBooksOnlyWhileTheViewIsInFront() {
        var surface = createTemporaryObject(_surfaceComponent, _case)
        waitForRendering(surface)
        mouseClick(findChild(surface.navigation, "bt_Lagermanager"))
        surface.container.changeContainerIndex(0)
        view = surface.container.currentView()
        compare(view.objectName, "ArtikelbestandBuchen")
        wait(600) // the page slides in
        keyClick(Qt.Key_Return, Qt.ControlModifier)
        compare(view.banner.settings[0], "Keine Artikelgruppe gewählt")
        view.banner.settings = ["", "", -1]

        surface.container.changeContainerIndex(3)
        wait(600)
        keyClick(Qt.Key_Return, Qt.ControlModifier)
        keyClick(Qt.Key_Return, Qt.MetaModifier)
        compare(view.banner.settings[0], "")
    }
}
