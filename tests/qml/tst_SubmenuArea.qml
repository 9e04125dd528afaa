import QtQuick 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// The warehouse submenu against the reference server: its action button
// follows the open delivery order, and a new delivery order is opened through
// the customer picker with the next number, never while another is open. The
// functions run in name order and share the server's state; the canned server
// stands in where the backend must answer late or unreadably.
ShellTestCase {
    id: _case
    name: "SubmenuArea"
    width: 1632
    height: 918

    Component {
        id: _surfaceComponent
        WorkingSurface {
            session: _case.session
            width: _case.width
            height: _case.height
        }
    }

    SignalSpy { id: _notifiedSpy; signalName: "notified" }

    property var surface: null

    readonly property string checkPath: "/deliveryorder/checklast"
    readonly property var connectionBanner: ["Internet oder API Verbindung",
        "Überprüfen Sie Ihre Internetverbindung oder kontaktieren Sie den \"Master of Disaster\" für eventuelle API Probleme", 4]

    // every test starts logged out and logs in itself
    function initTestCase() {
        verify(testServer.running, "the reference server runs")
        useSession()
    }

    function init() {
        surface = createTemporaryObject(_surfaceComponent, _case)
        _notifiedSpy.clear()
        _notifiedSpy.target = surface.notifier
        waitForRendering(surface)
    }

    function cleanup() {
        cannedServer.clearAnswers()
        logOutSession()
    }

    // the banner triples asked for so far, oldest first
    function notifications() {
        return _notifiedSpy.signalArguments.map(function (args) { return args[0] })
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
        var open = reply(ServiceWarehouse.check_last_item, [session.token])
        verify(Array.isArray(open))
        return open
    }

    // generates every open delivery order, as the stock overview would
    function closeOpenDeliveryOrders() {
        var open = openDeliveryOrders()
        for (var i = 0; i < open.length; ++i)
            reply(ServiceWarehouse.generate_transaction, [open[i].id, session.token])
        compare(openDeliveryOrders().length, 0)
    }

    // Logs in and shows the warehouse page; returns when the login's check
    // and the page's own have been answered, so that later checks are the test's.
    function loginAndShowWarehouse() {
        testServer.clearRecords()
        logInSession()
        tryVerify(function () { return checkRequests().length >= 1 }, 3000, "the login's check")
        showWarehouse()
        tryCompare(submenu().pageAt(1), "busy", false)
    }

    // brings the warehouse page into view again, which checks
    function showWarehouseAgain() {
        mouseClick(findChild(surface.navigation, "bt_Auftraegemanager"))
        showWarehouse()
    }

    function checkRequests() {
        return testServer.records().filter(function (r) { return r.path === checkPath })
    }

    function deliveryOrderPosts() {
        return testServer.records().filter(function (r) { return r.method === "POST" && r.path === "/deliveryorder" })
    }

    // The demo data always has delivery orders; the canned server plays a backend without any.
    function test_0_firstDeliveryOrderEverGetsNumberOne() {
        loginAndShowWarehouse()
        cannedServer.answer(checkPath, 200, "[]")
        cannedServer.answer("/deliveryorder/getlastno", 200, "[]")
        submenu().customerPicker.customerChosen({ "id": 1 })
        tryVerify(function () { return deliveryOrderPosts().length === 1 }, 5000)
        compare(JSON.parse(deliveryOrderPosts()[0].body).deliveryorders_no, 1)
        tryCompare(submenu().pageAt(1), "busy", false)
    }

    function test_1_loginChecksOnce() {
        // the warehouse page is not shown: only the login can ask
        testServer.clearRecords()
        wait(700)
        compare(submenu().deliveryOrderOpen, undefined, "no check without a login")
        compare(actionButton().text, "Artikelbestand buchen")
        logInSession()
        tryCompare(submenu(), "deliveryOrderOpen", true, 3000)
        var checks = testServer.records().filter(function (r) { return r.path.indexOf("deliveryorder/checklast") >= 0 })
        compare(checks.length, 1)
        // nothing asks again on its own
        wait(1200)
        checks = testServer.records().filter(function (r) { return r.path.indexOf("deliveryorder/checklast") >= 0 })
        compare(checks.length, 1)
    }

    function test_2_openDeliveryOrderLeadsToTheBooking() {
        logInSession()
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
        logInSession()
        var lastNumber = reply(ServiceWarehouse.get_last_deliveryno, [session.token])[0].deliveryorders_no
        closeOpenDeliveryOrders()

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
        var customer = picker.customers.get(12)
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
        compare(_notifiedSpy.count, 0)
    }

    function test_4_rejectedDeliveryOrderIsReported() {
        logInSession()
        closeOpenDeliveryOrders()
        showWarehouse()
        tryCompare(submenu(), "deliveryOrderOpen", false)
        // a customer the backend does not know
        submenu().customerPicker.customerChosen({ "id": 987654 })
        tryCompare(_notifiedSpy, "count", 1, 5000)
        compare(notifications()[0][0], "Lieferschein nicht angelegt")
        compare(notifications()[0][2], 4)
        tryCompare(submenu().pageAt(1), "busy", false)
        compare(actionButton().text, "Neuer Lieferschein")
        tryCompare(actionButton(), "enabled", true)
    }

    function test_5_unreachableBackendIsReported() {
        loginAndShowWarehouse()
        compare(submenu().deliveryOrderOpen, false)
        whileServerIsDown(function () {
            // the picker cannot list anybody
            mouseClick(actionButton())
            tryCompare(_notifiedSpy, "count", 1, 10000)
            compare(notifications()[0], ["Kundenliste nicht geladen", "Die Kunden konnten nicht geladen werden", 4])
            keyClick(Qt.Key_Escape)
            tryCompare(submenu().customerPicker, "visible", false)
            // nor can a delivery order be opened: the check before it does not come back
            submenu().customerPicker.customerChosen({ "id": 1 })
            tryVerify(function () { return _notifiedSpy.count >= 2 }, 10000)
            tryCompare(actionButton(), "enabled", true)
            // the check's, and that of the stock overview's list, which the choice brings into view
            for (var i = 1; i < _notifiedSpy.count; ++i) {
                compare(notifications()[i], connectionBanner)
                compare(_notifiedSpy.signalArguments[i][1], 7000)
            }
            // what was known stays
            compare(submenu().deliveryOrderOpen, false)
        })
    }

    function test_6_stockOverviewReloadChecksAgain() {
        logInSession()
        showWarehouse()
        tryCompare(submenu().pageAt(1), "busy", false)
        testServer.clearRecords()
        surface.container.changeContainerIndex(1) // the stock overview reloads
        tryVerify(function () {
            return testServer.records().some(function (r) { return r.path.indexOf("deliveryorder/checklast") >= 0 })
        }, 3000)
    }

    // Delivery order 7 is open; then a check comes back unreadable, then as an
    // error reply. Neither may turn the button into "Neuer Lieferschein".
    function test_7_failedCheckKeepsWhatWasKnown() {
        loginAndShowWarehouse()
        cannedServer.answer(checkPath, 200, JSON.stringify([{ "id": 7, "deliveryorders_no": 7 }]))
        showWarehouseAgain()
        tryCompare(submenu(), "deliveryOrderOpen", true)
        tryCompare(submenu().pageAt(1), "busy", false)
        var failures = [[200, "[{\"id\": 7,"], [500, JSON.stringify({ "error": "database locked" })]]
        for (var i = 0; i < failures.length; ++i) {
            cannedServer.answer(checkPath, failures[i][0], failures[i][1])
            if (failures[i][0] === 200)
                ignoreWarning(new RegExp("^Reply of GET .*checklast .* could not be read: "))
            showWarehouseAgain()
            tryCompare(_notifiedSpy, "count", i + 1, 5000)
            compare(notifications()[i], connectionBanner)
            compare(submenu().deliveryOrderOpen, true)
            compare(actionButton().text, "Artikelbestand buchen")
        }
        testServer.clearRecords()
        mouseClick(actionButton())
        compare(surface.container.currentView().objectName, "ArtikelbestandBuchen")
        verify(!submenu().customerPicker.visible)
        compare(deliveryOrderPosts().length, 0)
    }

    // A slow check after a creation must not let a second click create a second order.
    function test_8_actionStaysDisabledUntilTheCheckAfterCreatingAnswers() {
        loginAndShowWarehouse()
        closeOpenDeliveryOrders()
        showWarehouseAgain()
        tryCompare(submenu(), "deliveryOrderOpen", false)
        tryCompare(submenu().pageAt(1), "busy", false)
        testServer.clearRecords()
        var canned = cannedServer.requestedPaths().length
        cannedServer.answer(checkPath, 200, "[]") // the check right before creating
        // the check after it, and the ones of the stock overview's refresh (the
        // navigation's and the overview's own status bar), come late
        var open = JSON.stringify([{ "id": 99, "deliveryorders_no": 99 }])
        cannedServer.answer(checkPath, 200, open, true)
        cannedServer.answer(checkPath, 200, open, true)
        cannedServer.answer(checkPath, 200, open, true)
        submenu().customerPicker.customerChosen({ "id": 1 })
        verify(!actionButton().enabled)
        tryVerify(function () { return deliveryOrderPosts().length === 1 }, 5000)
        // the delivery order exists; its check has not answered yet
        tryVerify(function () { return cannedServer.requestedPaths().length >= canned + 2 }, 5000)
        wait(300)
        verify(!actionButton().enabled, "enabled before the check answered")
        submenu().customerPicker.customerChosen({ "id": 1 })
        compare(actionButton().text, "Neuer Lieferschein")
        cannedServer.release()
        tryCompare(actionButton(), "enabled", true, 5000)
        compare(actionButton().text, "Artikelbestand buchen")
        compare(deliveryOrderPosts().length, 1)
        compare(_notifiedSpy.count, 0)
    }

    // A creation whose reply says nothing clear (a 2xx that cannot be read, a
    // reply cut short): the check after it tells whether it exists.
    function test_9b_unclearCreationGoesByTheCheck_data() {
        return [
            { tag: "stored, reply unreadable", cut: false, after: [{ "id": 98, "deliveryorders_no": 98 }], notified: 0 },
            { tag: "cut short, not there", cut: true, after: [], notified: 1 }
        ]
    }

    function test_9b_unclearCreationGoesByTheCheck(data) {
        loginAndShowWarehouse()
        closeOpenDeliveryOrders()
        showWarehouseAgain()
        tryCompare(submenu().pageAt(1), "busy", false)
        _notifiedSpy.clear()
        cannedServer.answer(checkPath, 200, "[]") // the check right before creating
        if (data.cut) {
            cannedServer.answerCut("/deliveryorder", 201, JSON.stringify({ "id": 98 }))
        } else {
            cannedServer.answer("/deliveryorder", 201, "{kaputt")
            expectUnreadableReply()
        }
        // the check after it, and the stock overview's checks when it comes into view
        for (var i = 0; i < 3; ++i)
            cannedServer.answer(checkPath, 200, JSON.stringify(data.after))
        submenu().customerPicker.customerChosen({ "id": 1 })
        tryCompare(actionButton(), "enabled", true, 5000)
        wait(300)
        compare(_notifiedSpy.count, data.notified)
        if (data.notified > 0)
            compare(notifications()[0][0], "Lieferschein nicht angelegt")
        compare(submenu().deliveryOrderOpen, data.after.length > 0)
    }

    // Another user opened a delivery order after the button last showed "Neuer Lieferschein".
    function test_9_noSecondOpenDeliveryOrder() {
        loginAndShowWarehouse()
        closeOpenDeliveryOrders()
        showWarehouseAgain()
        tryCompare(submenu(), "deliveryOrderOpen", false)
        tryCompare(submenu().pageAt(1), "busy", false)
        var last = reply(ServiceWarehouse.get_last_deliveryno, [session.token])[0].deliveryorders_no
        verify(reply(ServiceWarehouse.add_deliveryorder, [new Date(), last + 1, false, 1, session.token]).id)
        compare(actionButton().text, "Neuer Lieferschein")

        testServer.clearRecords()
        submenu().customerPicker.customerChosen({ "id": 2 })
        tryCompare(_notifiedSpy, "count", 1, 5000)
        compare(notifications()[0], ["Lieferschein nicht angelegt", "Es ist noch ein Lieferschein offen", 4])
        compare(deliveryOrderPosts().length, 0)
        compare(openDeliveryOrders().length, 1)
        compare(submenu().deliveryOrderOpen, true)
        compare(actionButton().text, "Artikelbestand buchen")
        verify(actionButton().enabled)
    }
}
