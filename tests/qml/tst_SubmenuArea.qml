import QtQuick 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/service_warehouse.js" as ServiceWarehouse
import "../../dynamic/variables.js" as Dynamic

// The warehouse submenu against the reference server: its action button
// follows the open delivery order, and a new delivery order is opened through
// the customer picker with the next number. The functions run in name order
// and share the server's state.
ShellTestCase {
    id: _case
    name: "SubmenuArea"
    width: 1632
    height: 918

    Component {
        id: _surfaceComponent
        WorkingSurface {
            width: _case.width
            height: _case.height
        }
    }

    Component {
        id: _stateComponent
        DeliveryOrderState {}
    }

    property var surface: null

    function init() {
        surface = createTemporaryObject(_surfaceComponent, _case)
        waitForRendering(surface)
    }

    function cleanup() {
        Dynamic.setToken("")
    }

    function submenu() {
        return surface.navigation.submenuarea
    }

    function actionButton() {
        return findChild(submenu().pageAt(1), "actionButton")
    }

    function showWarehouse() {
        mouseClick(findChild(surface.navigation, "bt_Lagermanager"))
        compare(surface.container._curViewIndex, 1)
    }

    function openDeliveryOrders() {
        var open = reply(ServiceWarehouse.check_last_item, [Dynamic.getToken()])
        verify(Array.isArray(open))
        return open
    }

    // The demo data always has delivery orders, so the first number is checked on the rule itself.
    function test_0_nextNumberRule() {
        var state = createTemporaryObject(_stateComponent, _case)
        compare(state._nextNumber([]), 1)
        compare(state._nextNumber([{ "id": 9, "deliveryorders_no": 41 }, { "id": 3, "deliveryorders_no": 7 }]), 42)
        compare(state._nextNumber({ "error": "unauthorized" }), undefined, "an error reply gives no number")
        compare(state._nextNumber(-1), undefined)
    }

    function test_1_tokenPollChecksOnceLoggedIn() {
        // the warehouse page is not shown: only the poll can ask
        testServer.clearRecords()
        wait(700)
        compare(submenu().deliveryOrderOpen, undefined, "no check without a token")
        compare(actionButton().text, "Artikelbestand buchen")
        Dynamic.setToken(login())
        tryCompare(submenu(), "deliveryOrderOpen", true, 3000)
        var checks = testServer.records().filter(function (r) { return r.path.indexOf("deliveryorder/checklast") >= 0 })
        compare(checks.length, 1)
        // the poll has stopped
        wait(1200)
        checks = testServer.records().filter(function (r) { return r.path.indexOf("deliveryorder/checklast") >= 0 })
        compare(checks.length, 1)
    }

    function test_2_openDeliveryOrderLeadsToTheBooking() {
        Dynamic.setToken(login())
        verify(openDeliveryOrders().length > 0, "the demo data has an open delivery order")
        showWarehouse()
        tryCompare(submenu(), "deliveryOrderOpen", true)
        compare(actionButton().text, "Artikelbestand buchen")
        mouseClick(entry(1, 2))
        mouseClick(actionButton())
        compare(surface.container.currentView().objectName, "ArtikelbestandBuchen")
        verify(!submenu().customerPicker.visible)
        saveWindowGrab("surface-warehouse-open-deliveryorder.png")
    }

    function entry(area, subView) {
        return findChild(submenu().pageAt(area), "entry_" + subView)
    }

    function test_3_newDeliveryOrderThroughThePicker() {
        Dynamic.setToken(login())
        // close the open delivery order as the stock overview would
        var open = openDeliveryOrders()
        var lastNumber = reply(ServiceWarehouse.get_last_deliveryno, [Dynamic.getToken()])[0].deliveryorders_no
        for (var i = 0; i < open.length; ++i)
            reply(ServiceWarehouse.generate_transaction, [open[i].id, Dynamic.getToken()])
        compare(openDeliveryOrders().length, 0)

        showWarehouse()
        tryCompare(submenu(), "deliveryOrderOpen", false)
        compare(actionButton().text, "Neuer Lieferschein")
        saveWindowGrab("surface-warehouse-no-deliveryorder.png")

        mouseClick(actionButton())
        var picker = submenu().customerPicker
        tryCompare(picker, "opened", true)
        tryCompare(picker, "busy", false, 10000)
        verify(picker.customers.count > 11)
        picker.currentIndex = 12 // a customer from the second page
        var customer = picker.customers.get(12).data
        saveWindowGrab("customer-picker.png")

        testServer.clearRecords()
        mouseClick(findChild(picker.contentItem, "okButton"))
        // the container moves at once, before the delivery order exists
        compare(surface.container._curViewIndex, 1)
        compare(surface.container._curSubViewIndex, 1)
        compare(surface.container.currentView().objectName, "ArtikelbestandUebersicht")
        tryCompare(picker, "visible", false)
        tryCompare(submenu(), "deliveryOrderOpen", true, 5000)
        compare(actionButton().text, "Artikelbestand buchen")

        var posts = testServer.records().filter(function (r) { return r.method === "POST" })
        compare(posts.length, 1)
        compare(posts[0].path.replace(/^\//, ""), "deliveryorder")
        var body = JSON.parse(posts[0].body)
        compare(Object.keys(body), ["delivery_date", "deliveryorders_no", "created", "customer_id"])
        verify(/^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3}Z$/.test(body.delivery_date), body.delivery_date)
        verify(Math.abs(new Date(body.delivery_date).getTime() - Date.now()) < 60000)
        compare(body.deliveryorders_no, lastNumber + 1)
        compare(body.created, false)
        compare(body.customer_id, customer.id)
        compare(openDeliveryOrders()[0].deliveryorders_no, lastNumber + 1)
        compare(surface.notifications.length, 0)
    }

    function test_4_rejectedDeliveryOrderIsReported() {
        Dynamic.setToken(login())
        var open = openDeliveryOrders()
        for (var i = 0; i < open.length; ++i)
            reply(ServiceWarehouse.generate_transaction, [open[i].id, Dynamic.getToken()])
        showWarehouse()
        tryCompare(submenu(), "deliveryOrderOpen", false)
        // a customer the backend does not know
        submenu().customerPicker.customerChosen({ "id": 987654 })
        tryVerify(function () { return surface.notifications.length === 1 }, 5000)
        compare(surface.notifications[0][0], "Lieferschein nicht angelegt")
        compare(surface.notifications[0][2], 4)
        tryCompare(submenu().pageAt(1), "busy", false)
        compare(actionButton().text, "Neuer Lieferschein")
        verify(actionButton().enabled)
    }

    function test_5_unreachableBackendIsReported() {
        Dynamic.setToken(login())
        showWarehouse()
        tryCompare(submenu().pageAt(1), "busy", false)
        whileServerIsDown(function () {
            // the picker cannot list anybody
            mouseClick(actionButton())
            tryVerify(function () { return surface.notifications.length === 1 }, 10000)
            compare(surface.notifications[0], ["Kundenliste nicht geladen",
                                               "Die Kunden konnten nicht geladen werden", 4])
            keyClick(Qt.Key_Escape)
            tryCompare(submenu().customerPicker, "visible", false)
            // nor can a delivery order be opened
            submenu().customerPicker.customerChosen({ "id": 1 })
            tryVerify(function () { return surface.notifications.length === 2 }, 10000)
            compare(surface.notifications[1][0], "Lieferschein nicht angelegt")
            compare(surface.notifications[1][2], 4)
            // an unanswered check counts as nothing open
            tryCompare(submenu(), "deliveryOrderOpen", false)
        })
    }

    function test_6_refreshChecksAgainAtTheNextPoll() {
        Dynamic.setToken(login())
        showWarehouse()
        tryCompare(submenu().pageAt(1), "busy", false)
        testServer.clearRecords()
        surface.container.changeContainerIndex(1) // the stock overview reloads
        tryVerify(function () {
            return testServer.records().some(function (r) { return r.path.indexOf("deliveryorder/checklast") >= 0 })
        }, 3000)
    }
}
