import QtQuick 2.15
import QtTest 1.15

import "../../src/controls"

// The shared paged list on a fake backend whose replies the test hands out
// when it chooses, with a stand-in session: loading at the login and voiding
// at the logout, paging to the end of the pages, the empty text, searching,
// and replies that arrive after newer requests.
TestCase {
    id: _case
    name: "PagedList"
    when: windowShown
    visible: true
    width: 400
    height: 300

    // requests of the fake backend, oldest first: {kind, arg, token, cb}
    property var requests: []
    // their number
    property int requestCount: 0

    // Records `first` to `first + count - 1`.
    function records(first, count) {
        var out = []
        for (var i = 0; i < count; ++i)
            out.push({ "id": first + i, "label": "record " + (first + i) })
        return out
    }

    // The backend's page and search functions only record what they were asked.
    function fakePage(page, token, cb) {
        requests.push({ kind: "page", arg: page, token: token, cb: cb })
        requestCount = requests.length
    }
    function fakeSearch(keyword, token, cb) {
        requests.push({ kind: "search", arg: keyword, token: token, cb: cb })
        requestCount = requests.length
    }

    // the last request, which must be of `kind` for `arg`
    function lastRequest(kind, arg) {
        verify(requests.length > 0, "a request")
        var request = requests[requests.length - 1]
        compare(request.kind, kind)
        compare(request.arg, arg)
        return request
    }

    function pageRequests() {
        return requests.filter(function (r) { return r.kind === "page" }).map(function (r) { return r.arg })
    }

    // what the list needs of a session
    QtObject {
        id: _session
        property bool loggedIn: true
        property string token: "t0ken"
    }

    QtObject {
        id: _notifier
        property var messages: []
        property int connectionProblems: 0
        function notify(settings) { messages.push(settings) }
        function notifyConnectionProblem() { ++connectionProblems }
    }

    Component {
        id: _listComponent

        PagedList {
            width: _case.width
            height: _case.height
            pageFunction: _case.fakePage
            searchFunction: _case.fakeSearch
            emptyText: "- NICHTS DA -"
            session: _session
            notifier: _notifier
            delegate: Rectangle {
                // the cards of this list: 100 high, so three fill the view
                color: "white"
                objectName: "card_" + model.id
                width: ListView.view.width
                height: 100
                property bool entered: false
                function entersItem() { entered = true }
            }
        }
    }

    function init() {
        requests = []
        requestCount = 0
        _notifier.messages = []
        _notifier.connectionProblems = 0
        _session.token = "t0ken"
        _session.loggedIn = true
    }

    // A list that has loaded page 1 with `count` records.
    function loadedList(count) {
        var list = createTemporaryObject(_listComponent, _case)
        tryCompare(_case, "requestCount", 1, 1000)
        lastRequest("page", 1).cb(records(1, count), 200)
        compare(list.model.count, count)
        list.listView.forceLayout()
        return list
    }

    // Scrolls the list exactly to its end.
    function scrollToEnd(list) {
        var view = list.listView
        view.forceLayout()
        view.contentY = view.originY
        view.contentY = view.originY + view.contentHeight - view.height
    }

    function test_firstPageFollowsTheLogin() {
        _session.loggedIn = false
        _session.token = ""
        var list = createTemporaryObject(_listComponent, _case)
        wait(1100)
        compare(requests.length, 0, "nothing before a login")
        var loggedIn = Date.now()
        _session.token = "t0ken"
        _session.loggedIn = true
        tryCompare(_case, "requestCount", 1, 1000)
        verify(Date.now() - loggedIn <= 600, "page 1 within 500 ms of the login")
        compare(lastRequest("page", 1).token, "t0ken")
        verify(list.loading)
        requests[0].cb(records(1, 5), 200)
        verify(!list.loading)
        compare(list.model.get(4).label, "record 5")
        compare(list.current_page, 1)
    }

    // A logout voids the replies on their way, and nothing is asked until the
    // next login, which shows again what the list would have shown; the
    // container's refresh in the same moment as the login loads no second time.
    function test_logoutVoidsAndTheLoginReloads_data() {
        return [
            { tag: "page on its way", start: "page", kind: "page", arg: 1 },
            { tag: "search on its way", start: "search", kind: "search", arg: "abc" },
            { tag: "refresh while logged out", start: "refresh", kind: "page", arg: 1 }
        ]
    }

    function test_logoutVoidsAndTheLoginReloads(data) {
        var list = loadedList(5)
        if (data.start === "page") {
            list.refresh()
            tryCompare(_case, "requestCount", 2, 1000)
        } else if (data.start === "search") {
            list.modelLiveRefresh("abc")
        }
        var onItsWay = requests[requests.length - 1]
        _session.loggedIn = false
        if (data.start === "refresh")
            list.refresh()
        else
            onItsWay.cb(records(100, 2), 200)
        compare(list.model.count, 5, "nothing arrives after the logout")
        var asked = requestCount
        wait(100)
        compare(requestCount, asked, "nothing asked while logged out")
        verify(list.reloadPending)

        _session.loggedIn = true
        list.refresh()
        tryCompare(_case, "requestCount", asked + 1, 1000)
        lastRequest(data.kind, data.arg).cb(records(200, 3), 200)
        compare(list.model.count, 3)
        verify(!list.reloadPending)
        wait(100)
        compare(requestCount, asked + 1, "loaded once")
    }

    function test_pagesUntilTheBackendHasNoMore() {
        var list = loadedList(5)
        scrollToEnd(list)
        lastRequest("page", 2).cb(records(6, 5), 200)
        scrollToEnd(list)
        lastRequest("page", 3).cb(records(11, 5), 200)
        compare(list.model.count, 15)
        compare(list.model.get(14).id, 15, "appended in reply order")
        scrollToEnd(list)
        lastRequest("page", 4).cb(-1, 400)
        compare(list.current_page, 0)
        list.listView.contentY = 0
        scrollToEnd(list)
        compare(pageRequests(), [1, 2, 3, 4], "nothing after the last page")
        compare(list.model.count, 15, "the cards shown stay")
        list.refresh()
        tryCompare(_case, "requestCount", 5, 1000)
        lastRequest("page", 1).cb(records(1, 5), 200)
        compare(list.model.count, 5, "a reload starts again at page 1")
        compare(list.current_page, 1)
    }

    function test_recordsKeepValuesOfEveryType() {
        var list = createTemporaryObject(_listComponent, _case)
        tryCompare(_case, "requestCount", 1, 1000)
        lastRequest("page", 1).cb([{ "id": 1, "price": "12.50", "customer": { "surname": "Anna" } },
                                   { "id": 2, "price": 7, "customer": null }], 200)
        compare(list.model.get(0).price, "12.50")
        compare(list.model.get(1).price, 7)
        compare(list.model.get(0).customer.surname, "Anna", "nested objects stay objects")
        compare(list.model.get(1).customer, null)
    }

    // A list given rows keeps only the row of each record, from pages and from searches alike.
    function test_rowsInPlaceOfRecords() {
        var list = createTemporaryObject(_listComponent, _case, {
            rowOf: function (record) { return { id: record.id, name: record.customer ? record.customer.surname : "" } }
        })
        tryCompare(_case, "requestCount", 1, 1000)
        lastRequest("page", 1).cb([{ "id": 1, "price": "12.50", "customer": { "surname": "Anna" } },
                                   { "id": 2, "price": 7, "customer": null }], 200)
        compare(list.model.count, 2)
        compare(list.model.get(0).name, "Anna")
        compare(list.model.get(1).name, "")
        compare(list.model.get(1).price, undefined, "what the row leaves out is not kept")
        compare(list.model.get(0).customer, undefined)
        list.modelLiveRefresh("Bo")
        lastRequest("search", "Bo").cb([{ "id": 9, "customer": { "surname": "Bodo" } }], 200)
        compare(list.model.count, 1)
        compare(list.model.get(0).id, 9)
        compare(list.model.get(0).name, "Bodo")
    }

    function test_aListShorterThanTheViewNeverPages() {
        var list = loadedList(2)
        list.listView.contentY = 0
        list.listView.flick(0, -2000)
        wait(100)
        compare(pageRequests(), [1])
    }

    function test_onePageRequestAtATime() {
        var list = loadedList(5)
        scrollToEnd(list)
        var page2 = lastRequest("page", 2)
        list.listView.contentY = 0
        scrollToEnd(list)
        compare(pageRequests(), [1, 2], "no second request while one is out")
        verify(list.loading)
        page2.cb(records(6, 5), 200)
        compare(list.current_page, 2)
        scrollToEnd(list)
        lastRequest("page", 3)
    }

    function test_emptyText() {
        var list = loadedList(0)
        var text = findChild(list, "emptyText")
        verify(text.visible)
        compare(text.text, "- NICHTS DA -")
        list.refresh()
        tryCompare(_case, "requestCount", 2, 1000)
        lastRequest("page", 1).cb(records(1, 1), 200)
        verify(!text.visible, "a later non-empty first page hides it")
    }

    function test_searchSuspendsPagingUntilSearchIsConfirmed() {
        var list = loadedList(5)
        list.modelLiveRefresh("abc")
        verify(list.isSearching)
        lastRequest("search", "abc").cb(records(100, 6), 200)
        compare(list.model.count, 6)
        compare(list.model.get(0).id, 100)
        scrollToEnd(list)
        compare(pageRequests(), [1], "no paging while searching")
        // a search without hits empties the list; the empty text stays as it was
        list.modelRefresh("zzz")
        verify(list.isSearching)
        lastRequest("search", "zzz").cb(-1, 204)
        compare(list.model.count, 0)
        verify(!findChild(list, "emptyText").visible)
        // a confirmed search for the placeholder lets paging resume from page 1
        list.modelRefresh("Search")
        verify(!list.isSearching)
        lastRequest("page", 1).cb(records(200, 5), 200)
        scrollToEnd(list)
        lastRequest("page", 2)
    }

    // Escape in the top bar sends "", Return on the untouched field its
    // placeholder: both end the search and page again from page 1; a reload
    // while searching shows the hits of the search again.
    function test_endOfASearch_data() {
        return [
            { tag: "cleared", keyword: "" },
            { tag: "placeholder", keyword: "Search" }
        ]
    }

    function test_endOfASearch(data) {
        var list = loadedList(5)
        list.modelLiveRefresh("abc")
        lastRequest("search", "abc").cb(records(100, 6), 200)
        list.refresh()
        tryCompare(_case, "requestCount", 3, 1000)
        lastRequest("search", "abc").cb(records(100, 5), 200)
        compare(list.model.count, 5, "the reload shows the search's hits")
        verify(list.isSearching)

        list.modelRefresh(data.keyword)
        verify(!list.isSearching)
        lastRequest("page", 1).cb(records(1, 5), 200)
        compare(list.model.get(0).id, 1)
        scrollToEnd(list)
        lastRequest("page", 2).cb(records(6, 5), 200)
        compare(list.model.count, 10, "paging again")
        list.refresh()
        tryCompare(_case, "requestCount", 6, 1000)
        lastRequest("page", 1)
    }

    function test_repliesOfSupersededRequestsAreDropped() {
        var list = loadedList(5)
        // a reload answered after a later search
        list.refresh()
        tryCompare(_case, "requestCount", 2, 1000)
        var reload = lastRequest("page", 1)
        list.modelLiveRefresh("abc")
        var search = lastRequest("search", "abc")
        verify(!list.loading, "the search took over")
        search.cb(records(100, 2), 200)
        reload.cb(records(1, 5), 200)
        compare(list.model.count, 2, "the older reload does not overwrite the hits")
        compare(list.model.get(0).id, 100)

        // an earlier search answered after a later one
        list.modelLiveRefresh("abcd")
        var older = lastRequest("search", "abcd")
        list.modelLiveRefresh("abcde")
        lastRequest("search", "abcde").cb(records(300, 1), 200)
        older.cb(records(400, 3), 200)
        compare(list.model.count, 1)
        compare(list.model.get(0).id, 300)

        // a page answered after a reload started since
        list.modelRefresh("Search")
        lastRequest("page", 1).cb(records(1, 5), 200)
        scrollToEnd(list)
        var page2 = lastRequest("page", 2)
        list.refresh()
        tryCompare(_case, "requestCount", 8, 1000)
        lastRequest("page", 1).cb(records(1, 5), 200)
        page2.cb(records(6, 5), 200)
        compare(list.model.count, 5, "the page of the list before the reload is not appended")
    }

    function test_failuresAreShownAndThePageIsAskedAgain() {
        var list = loadedList(5)
        list.failureMessage = ["Aufträge nicht geladen", "Die Aufträge konnten nicht geladen werden"]
        scrollToEnd(list)
        lastRequest("page", 2).cb(-1, 0)
        compare(_notifier.connectionProblems, 1)
        compare(list.model.count, 5)
        verify(!list.loading)
        list.listView.contentY = 0
        scrollToEnd(list)
        // an error reply of the backend is no page either
        lastRequest("page", 2).cb({ "error": "unauthorized" }, 401)
        compare(_notifier.messages, [["Aufträge nicht geladen", "Die Aufträge konnten nicht geladen werden", 4]])
        list.modelLiveRefresh("abc")
        lastRequest("search", "abc").cb(-1, 500)
        compare(list.model.count, 5, "a failed search keeps the list")
        compare(_notifier.messages.length, 2)
    }

    function test_selectionAndKeys() {
        var list = loadedList(5)
        var spy = createTemporaryObject(_spyComponent, _case, { target: list, signalName: "activated" })
        list.select(1)
        compare(list.currentIndex, 1)
        verify(list.currentItem.entered, "the card shows its actions")
        verify(list.listView.activeFocus)
        keyClick(Qt.Key_Down)
        compare(list.currentIndex, 2)
        keyClick(Qt.Key_Return)
        compare(spy.count, 1)
        compare(spy.signalArguments[0][0], 2)
        // the bar follows the current card, also when the list has scrolled
        var bar = findChild(list, "currentBar")
        list.listView.contentY = 150
        tryVerify(function () { return Math.abs(bar.mapToItem(list.currentItem, 0, 0).y) < 0.5 }, 3000)
        verify(bar.parent === list.currentItem.parent && bar.z > list.currentItem.z, "drawn over the cards")
    }

    function test_wheelStepsAndReachesTheEnd() {
        var list = loadedList(5)
        var view = list.listView
        mouseWheel(list, 50, 50, 0, -120)
        compare(view.contentY, 30 * c_Scale)
        for (var i = 0; i < 20 && pageRequests().length === 1; ++i)
            mouseWheel(list, 50, 50, 0, -120)
        compare(view.contentY, view.contentHeight - view.height, "the wheel stops exactly at the end")
        lastRequest("page", 2)
    }

    Component {
        id: _spyComponent
        SignalSpy {}
    }
}
