import QtQuick 2.15
import QtTest 1.15

import "../../src/controls"
import "../../src/api/authentication.js" as ServiceAuthentication
import "../../src/api/service_customer.js" as ServiceCustomer

// The "Kunde auswählen" popup against the reference server: it lists every
// customer of every page, hands back the confirmed one, and reports a list
// that could not be loaded.
ShellTestCase {
    id: _case
    name: "CustomerPicker"
    width: 1000
    height: 700

    Component {
        id: _pickerComponent
        CustomerPicker { session: _case.session }
    }

    SignalSpy { id: _chosenSpy; signalName: "customerChosen" }
    SignalSpy { id: _failedSpy; signalName: "loadFailed" }

    property var picker: null

    function init() {
        cannedServer.clearAnswers()
        picker = createTemporaryObject(_pickerComponent, _case)
        _chosenSpy.clear()
        _failedSpy.clear()
        _chosenSpy.target = picker
        _failedSpy.target = picker
    }

    // every customer as the backend pages them, in reply order
    function allCustomers() {
        var customers = []
        for (var page = 1; page < 100; ++page) {
            var rows = reply(ServiceCustomer.get_customers, [page, token])
            if (rows === -1)
                return customers
            customers = customers.concat(rows)
        }
        fail("no end of the customer list")
    }

    function openAndLoad() {
        picker.open()
        tryCompare(picker, "opened", true)
        tryCompare(picker, "busy", false, 10000)
    }

    function test_listsEveryPageAfterThePlaceholder() {
        var expected = allCustomers()
        verify(expected.length > 10, "the demo data fills more than one page")
        testServer.clearRecords()
        openAndLoad()
        var rows = picker.customers
        compare(rows.count, expected.length + 1)
        compare(rows.get(0).name, "- Kunde auswählen -")
        compare(rows.get(0).id, -1)
        for (var i = 0; i < expected.length; ++i) {
            compare(rows.get(i + 1).name, expected[i].surname + " " + expected[i].lastname)
            compare(rows.get(i + 1).id, expected[i].id)
        }
        compare(picker.currentIndex, 0)
        compare(findChild(picker.contentItem, "customerBox").displayText, "- Kunde auswählen -")
        compare(_failedSpy.count, 0)
        // every page once, a few at a time, until the backend says there is no
        // further one; past the end no more than the requests already under way
        var pages = testServer.records().map(function (r) { return Number(r.query.replace("page=", "")) })
        pages.sort(function (a, b) { return a - b })
        for (var p = 0; p < pages.length; ++p)
            compare(pages[p], p + 1)
        var lastFull = Math.ceil(expected.length / 10)
        verify(pages.length > lastFull, "the end of the pages was asked for")
        verify(pages.length <= lastFull + picker.pagesInFlight, "requests past the end: " + pages.length)
    }

    // the backend's folding: A-Z, Latin-1 capitals, capital sharp s
    function fold(text) {
        return text.replace(/[A-Z\u00C0-\u00D6\u00D8-\u00DE]/g, function (c) {
            return String.fromCharCode(c.charCodeAt(0) + 32)
        })
    }

    function test_typingFiltersWhileItFills() {
        var expected = allCustomers().map(function (c) { return c.surname + " " + c.lastname })
        // a part of a name, typed in other case
        var needle = expected[expected.length - 1].substr(1, 3).toUpperCase()
        var hits = expected.filter(function (name) { return fold(name).indexOf(fold(needle)) >= 0 })
        picker.open()
        tryCompare(picker, "opened", true)
        var field = findChild(picker.contentItem, "filterField")
        verify(field.activeFocus, "typing goes to the filter at once")
        // typed before the list is complete: the later pages are filtered as they come
        for (var i = 0; i < needle.length; ++i)
            keyClick(needle[i])
        compare(picker.filterText, needle)
        tryCompare(picker, "busy", false, 10000)
        var rows = []
        for (var r = 1; r < picker.customers.count; ++r)
            rows.push(picker.customers.get(r).name)
        compare(rows, hits)
        compare(picker.customers.get(0).name, "- Kunde auswählen -")
        compare(picker.currentIndex, 0)
        // umlauts fold as capitals do
        compare(picker.foldCase("ÄÖÜ ẞ Straße"), "äöü ß straße")
        // emptied, every customer is back in page order
        picker.filterText = ""
        compare(picker.customers.count, expected.length + 1)
        compare(picker.customers.get(expected.length).name, expected[expected.length - 1])
        // the only customer left is taken with Return
        picker.filterText = expected[3]
        if (picker.customers.count === 2) {
            keyClick(Qt.Key_Return)
            compare(picker.currentIndex, 1)
        }
    }

    // the shown rows' ids, without the placeholder
    function shownIds() {
        var ids = []
        for (var r = 1; r < picker.customers.count; ++r)
            ids.push(picker.customers.get(r).id)
        return ids
    }

    // While pages are held back, a typed name is found through the full-name
    // search; its row is never listed twice, a reply to an older filter is
    // dropped, and the filled list is the filtered pages alone, in page order,
    // each page asked for once.
    function test_typedNameFoundBeforeItsPage_data() {
        return [
            { tag: "not arrived yet", pagesFirst: 0, typed: "last" },
            { tag: "arrived and found alike", pagesFirst: 1, typed: "first" },
            { tag: "older reply dropped", pagesFirst: 0, typed: "last", staleBefore: "first" },
            { tag: "chosen before its page stays chosen", pagesFirst: 0, typed: "last", choose: true }
        ]
    }

    function test_typedNameFoundBeforeItsPage(data) {
        var customers = allCustomers()
        var pages = []
        for (var p = 0; p * 10 < customers.length; ++p)
            pages.push(customers.slice(p * 10, p * 10 + 10))
        verify(pages.length >= 2, "the demo data fills a few pages")
        // one page request at a time, so that the canned answers (taken in
        // the order the requests reach the server) meet their pages in order
        picker.pagesInFlight = 1
        var nameOf = function (c) { return c.surname + " " + c.lastname }
        var wanted = data.typed === "last" ? customers[customers.length - 1] : customers[0]
        var other = customers[0]
        // every page request of the opening is answered here, held back but the first `pagesFirst`
        for (p = 0; p < pages.length; ++p)
            cannedServer.answer("/customer", 200, JSON.stringify(pages[p]), p >= data.pagesFirst)
        cannedServer.answer("/customer", 400, "{}", true)
        if (data.staleBefore)
            cannedServer.answer("/customer/search", 200, JSON.stringify([other]), true)
        testServer.clearRecords()
        picker.open()
        tryCompare(picker, "opened", true)
        if (data.pagesFirst > 0)
            tryCompare(picker, "loadedCount", data.pagesFirst * 10)
        if (data.staleBefore) {
            picker.filterText = nameOf(other)
            tryVerify(function () { return cannedServer.requestedPaths().indexOf("/customer/search") >= 0 })
        }
        picker.filterText = nameOf(wanted)
        // from here on, every row listed must pass the filter, and no customer is listed twice
        var listed = []
        var twice = []
        var watch = function (parent, first, last) {
            for (var i = first; i <= last; ++i)
                listed.push(picker.customers.get(i).name)
            var ids = shownIds()
            twice = twice.concat(ids.filter(function (id, at) { return ids.indexOf(id) !== at }))
        }
        picker.customers.rowsInserted.connect(watch)
        tryVerify(function () { return shownIds().indexOf(wanted.id) >= 0 }, 5000, "found while filling")
        // the search is answered while the pages are still held
        tryVerify(function () { return testServer.records().some(function (r) { return r.path === "/customer/search" }) })
        wait(200)
        verify(picker.busy)
        compare(shownIds().filter(function (id) { return id === wanted.id }).length, 1, "listed once")
        if (data.choose)
            picker.currentIndex = shownIds().indexOf(wanted.id) + 1
        // each page is held until released, the next one asked for after it
        tryVerify(function () {
            cannedServer.release()
            return !picker.busy
        }, 10000, "filled")
        if (data.choose)
            compare(picker.customers.get(picker.currentIndex).id, wanted.id, "still chosen")
        picker.customers.rowsInserted.disconnect(watch)
        compare(listed.filter(function (name) { return fold(name).indexOf(fold(nameOf(wanted))) < 0 }), [])
        compare(twice, [], "listed twice")
        var expected = customers.filter(function (c) { return fold(nameOf(c)).indexOf(fold(nameOf(wanted))) >= 0 })
        compare(shownIds(), expected.map(function (c) { return c.id }))
        // the pages here were all asked for; the reference server saw only
        // pages past the end, each once, no more than were under way; one
        // search, for the name typed last
        verify(!cannedServer.answers("/customer"), "every page was asked for")
        var requests = testServer.records()
        var later = requests.filter(function (r) { return r.path === "/customer" })
                            .map(function (r) { return Number(r.query.replace("page=", "")) })
        verify(later.length < picker.pagesInFlight, "requests past the end: " + later.length)
        later.sort(function (a, b) { return a - b })
        for (var l = 0; l < later.length; ++l)
            compare(later[l], pages.length + 2 + l)
        var searches = requests.filter(function (r) { return r.path === "/customer/search" })
        compare(searches.length, 1)
        compare(JSON.parse(searches[0].body).fullname, nameOf(wanted))
    }

    function test_reopeningLoadsAfresh() {
        openAndLoad()
        var count = picker.customers.count
        picker.currentIndex = 3
        picker.close()
        tryCompare(picker, "visible", false)
        openAndLoad()
        compare(picker.customers.count, count)
        compare(picker.currentIndex, 0)
    }

    function test_okHandsBackTheChosenCustomer() {
        openAndLoad()
        // OK on the placeholder does nothing
        mouseClick(findChild(picker.contentItem, "okButton"))
        compare(_chosenSpy.count, 0)
        verify(picker.opened)

        var box = findChild(picker.contentItem, "customerBox")
        mouseClick(box)
        tryVerify(function () { return box.popup.opened })
        saveWindowGrab("customer-picker-list.png")
        mouseClick(box.popup.contentItem.itemAtIndex(2))
        tryVerify(function () { return !box.popup.visible })
        compare(box.currentIndex, 2)
        mouseClick(findChild(picker.contentItem, "okButton"))
        compare(_chosenSpy.count, 1)
        compare(_chosenSpy.signalArguments[0][0].id, picker.customers.get(2).id)
        tryCompare(picker, "visible", false)
    }

    function test_escapeAndCancelCloseWithoutChoice() {
        openAndLoad()
        keyClick(Qt.Key_Escape)
        tryCompare(picker, "visible", false)
        openAndLoad()
        mouseClick(findChild(picker.contentItem, "cancelButton"))
        tryCompare(picker, "visible", false)
        // a click beside the popup does not close it
        openAndLoad()
        mouseClick(_case, 5, 5)
        verify(picker.opened)
        compare(_chosenSpy.count, 0)
    }

    // Return confirms as "OK" (the highlighted button) does, unless
    // "Abbrechen" has the focus; Escape closes without a choice
    function test_keyboard_data() {
        return [
            { tag: "Return confirms the chosen", choose: 2, key: Qt.Key_Return, chosen: 2 },
            { tag: "Enter confirms the chosen", choose: 1, key: Qt.Key_Enter, chosen: 1 },
            { tag: "Return on the placeholder", choose: 0, key: Qt.Key_Return, stays: true },
            { tag: "Return takes the only one left", filterRow: 3, key: Qt.Key_Return, chosen: 1 },
            { tag: "Escape in the filter", key: Qt.Key_Escape },
            { tag: "Return on Abbrechen", choose: 2, tabs: 2, key: Qt.Key_Return }
        ]
    }

    function test_keyboard(data) {
        openAndLoad()
        verify(findChild(picker.contentItem, "okButton").highlighted, "OK is marked as the default")
        verify(!findChild(picker.contentItem, "cancelButton").highlighted)
        if (data.choose !== undefined)
            picker.currentIndex = data.choose
        if (data.filterRow !== undefined)
            picker.filterText = picker.customers.get(data.filterRow).name
        var expected = data.chosen === undefined ? undefined : picker.customers.get(data.chosen).id
        if (data.filterRow !== undefined && picker.customers.count !== 2)
            skip("the name is not unique")
        for (var i = 0; i < (data.tabs || 0); ++i)
            keyClick(Qt.Key_Tab)
        keyClick(data.key)
        if (expected === undefined) {
            compare(_chosenSpy.count, 0)
        } else {
            compare(_chosenSpy.count, 1)
            compare(_chosenSpy.signalArguments[0][0].id, expected)
        }
        if (data.stays)
            verify(picker.opened)
        else
            tryCompare(picker, "visible", false)
    }

    function test_zzUnreachableBackendIsReported() {
        whileServerIsDown(function () {
            picker.open()
            tryCompare(_failedSpy, "count", 1, 10000)
            compare(picker.busy, false)
            compare(picker.customers.count, 1, "only the placeholder")
            compare(picker.customers.get(0).name, "- Kunde auswählen -")
        })
    }

    // a session whose token the backend no longer takes (it was revoked behind the client's back),
    // and the user gives up renewing it
    function test_zzRejectedTokenIsReported() {
        compare(reply(ServiceAuthentication.revoke_token, [session.token]), 200)
        try {
            picker.open()
            tryVerify(function () { return session.expired }, 10000, "the session has ended")
            session.endRenewal()
            tryCompare(_failedSpy, "count", 1, 10000)
            compare(picker.customers.count, 1)
        } finally {
            token = logInSession()
        }
    }
}
