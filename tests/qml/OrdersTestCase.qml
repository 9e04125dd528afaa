import QtQuick 2.15
import QtTest 1.15

import "../../src/api/service_assignment.js" as ServiceAssignment
import "../../src/api/service_invoice.js" as ServiceInvoice
import "../../src/api/service_customer.js" as ServiceCustomer
import "OrderRecords.js" as OrderRecords

// The fixture of the order views' tests: a logged-in session on the
// reference server (the views are handed it, or read it through Dynamic), orders captured and
// billed over the wire, and the cards, banners and pictures of a view.
ShellTestCase {
    id: _ordersCase

    // the backend's tax rows
    property var taxes: []
    // what the reference server is started with besides its defaults (kept across restarts)
    property var serverArguments: []

    // The log of the whole run is recorded: the session token must never be in it.
    function initTestCase() {
        testLog.start()
        verify(testServer.running, "the reference server runs")
        if (serverArguments.length > 0)
            verify(testServer.restart(serverArguments), "server restarted with " + serverArguments)
        token = logInSession()
        taxes = reply(ServiceAssignment.get_taxes, [token])
        prepare()
    }

    function cleanupTestCase() {
        testLog.stop()
        var messages = testLog.messages()
        verify(messages.length > 0, "the log was recorded")
        for (var i = 0; i < messages.length; ++i)
            verify(messages[i].indexOf(token) < 0, "the session token in the log: " + messages[i])
    }

    // What a test case needs on the server before its tests, once.
    function prepare() {
    }

    // Runs `calls` (a function) while the server is down, then brings it back as it was started.
    function whileServerIsDown(calls) {
        testServer.stop()
        try {
            calls()
        } finally {
            verify(testServer.start(serverArguments), "server back up")
        }
    }

    // Creates a customer: a private one in Hamburg, with the values `changes`
    // names (keys of the customer body) in place of the fixture's; with
    // `commercial` (a record under the commercial body's keys), a business
    // customer with that commercial record. Returns the customer's record.
    function addCustomer(changes, commercial) {
        var customer = OrderRecords.changed({
            "surname": "", "lastname": "", "address_street_no": "Hafenstraße 1", "address_zipcode": "20457",
            "address_town": "Hamburg", "address_country": 36, "address_province": "", "phone": "040 123", "fax": "",
            "email": "", "info": "", "commercialability": commercial !== undefined
        }, changes)
        var commercialId
        if (commercial !== undefined) {
            var record = reply(ServiceCustomer.add_customer_commercial_record, [commercial, token])
            verify(record && record.id > 0, "commercial record created: " + JSON.stringify(record))
            commercialId = record.id
        }
        var created = reply(ServiceCustomer.add_customer_record, [customer, commercialId, token])
        verify(created && created.id > 0, "customer created: " + JSON.stringify(created))
        return created
    }

    // Captures the fixture's order (OrderRecords.order) with the values
    // `changes` names in place of its own: keys of the order body, and
    // "customer_id" (customer 1 when it names none). Returns the created record.
    function addOrder(changes) {
        changes = changes || {}
        var order = OrderRecords.changed(OrderRecords.order("Auftrag", taxes[0].id), changes)
        var customerId = changes.customer_id === undefined ? "1" : String(changes.customer_id)
        var created = reply(ServiceAssignment.add_assignment_record, [order, customerId, token])
        verify(created && created.id > 0, "created: " + JSON.stringify(created))
        return created
    }

    // Bills the order `orderId` alone; returns the invoice made of it.
    function billOrder(orderId) {
        var preview = reply(ServiceAssignment.checkout_assignment_single, [orderId, token])
        compare(reply(ServiceAssignment.confirm_checkout_assignment, [preview.id, token]), 0)
        var invoices = reply(ServiceInvoice.get_search_invoice, [preview.assignment.textbeschreibung, token])
        verify(Array.isArray(invoices) && invoices.length > 0, "the invoice is found")
        return invoices[invoices.length - 1]
    }

    // The ids of the records `view` shows, in list order.
    function shownIds(view) {
        var ids = []
        for (var i = 0; i < view.list.model.count; ++i)
            ids.push(view.list.model.get(i).id)
        return ids
    }

    // Reloads `view` and waits until its list shows page 1.
    function reload(view) {
        var loaded = false
        var done = function () { loaded = true }
        view.list.pageLoaded.connect(done)
        view.refresh("")
        tryVerify(function () { return loaded }, 5000, "page 1 loaded")
        view.list.pageLoaded.disconnect(done)
        view.list.listView.forceLayout()
    }

    // The card of the record `id` in `view`, scrolled into sight; null when the list does not hold it.
    function cardOf(view, id) {
        var index = shownIds(view).indexOf(id)
        if (index < 0)
            return null
        view.list.listView.positionViewAtIndex(index, ListView.Beginning)
        view.list.listView.forceLayout()
        return view.list.listView.itemAtIndex(index)
    }

    // Clicks the card's action `name` after selecting the card as a user does.
    function clickAction(view, card, name) {
        mouseClick(card, 100, 100)
        tryCompare(card.actionColumn, "width", 80 * c_Scale, 1000)
        var button = findChild(card.actionColumn, name)
        verify(button, "action " + name)
        mouseClick(button)
    }

    // Clicks `item` inside the popup `popup` after scrolling it into sight.
    function clickInPopup(popup, item) {
        var flickable = popup.flickable
        var top = item.mapToItem(flickable.contentItem, 0, 0).y
        flickable.contentY = Math.max(0, Math.min(top - flickable.height / 2,
                                                  flickable.contentHeight - flickable.height))
        waitForRendering(flickable)
        mouseClick(item)
    }

    // Waits until `banner` shows `settings` ([title, text, state]).
    function expectBanner(banner, settings) {
        tryVerify(function () {
            return banner.run && JSON.stringify(banner.settings) === JSON.stringify(settings)
        }, 5000, "banner " + JSON.stringify(settings))
    }

    // Saves a picture of `item` as `fileName` in the screenshot directory.
    function saveGrab(item, fileName) {
        var saved = false
        item.grabToImage(function (result) {
            saved = result.saveToFile(screenshotDirectory + "/" + fileName)
        })
        tryVerify(function () { return saved }, 5000, fileName)
    }
}
