import QtQuick 2.15
import QtTest 1.15

import "../../src"

// Which view the container shows, which it tells to reload, where the top
// bar's searches go, and what it hands the views.
TestCase {
    id: _case
    name: "ViewContainer"
    when: windowShown
    visible: true
    width: 1000
    height: 700

    Component {
        id: _containerComponent
        ViewContainer {
            width: _case.width
            height: _case.height
            navigationState: NavigationState {}
            session: _session
            notifier: _notifier
            warehouse: _warehouse
        }
    }

    // stand-ins for what the working surface hands down; the session is
    // logged out, so that no list loads
    QtObject {
        id: _session
        property bool loggedIn: false
        property string token: ""
    }
    Notifier { id: _notifier }
    QtObject {
        id: _warehouse
        property var open: undefined
        property var openOrder: null
        property bool busy: false
        property bool booking: false
        property bool generating: false
        property var pendingNote: null
        property bool pendingNoteKnown: false
        // how often the open delivery order was to be read
        property int checks: 0
        signal reported(string workflow, var settings)
        signal booked()
        signal cancelQuestion(string question)
        signal noteDelivered(var order)
        signal stockChanged()
        function check() { ++checks }
    }

    Component {
        id: _spyComponent
        SignalSpy {}
    }

    property var container: null
    // a spy on every view signal there is, keyed "<view>.<signal>"
    property var spies: ({})
    // [area, sub-view, view name] of every page
    readonly property var pages: [
        [0, 0, "Erfasst"], [0, 1, "Abgerechnet"], [0, 2, "Rechnungen"], [0, 3, "NeuerAuftrag"],
        [1, 0, "ArtikelbestandBuchen"], [1, 1, "ArtikelbestandUebersicht"], [1, 2, "ArtikelgruppenUebersicht"],
        [1, 3, "ArtikelgruppenErfassen"], [1, 4, "ArtikelgruppenImport"],
        [2, 0, "KundenUebersicht"], [2, 1, "NeuerKunde"],
        [3, 0, "Users"], [4, 0, "Update"]
    ]

    readonly property var viewSignals: ["refresh", "modelRefresh", "modelLiveRefresh"]

    function init() {
        container = createTemporaryObject(_containerComponent, _case)
        _warehouse.checks = 0
        var watched = {}
        for (var i = 0; i < pages.length; ++i) {
            var view = container.viewAt(pages[i][0], pages[i][1])
            for (var j = 0; j < viewSignals.length; ++j) {
                if (typeof view[viewSignals[j]] === "function")
                    watched[pages[i][2] + "." + viewSignals[j]] =
                            createTemporaryObject(_spyComponent, _case, { target: view, signalName: viewSignals[j] })
            }
        }
        spies = watched
    }

    function spy(view, signalName) {
        return spies[view + "." + signalName]
    }

    // how often each view emitted any of `signalNames`, by view name
    function counts(signalNames) {
        var result = {}
        for (var i = 0; i < pages.length; ++i) {
            var name = pages[i][2]
            result[name] = 0
            for (var j = 0; j < signalNames.length; ++j) {
                if (spy(name, signalNames[j]))
                    result[name] += spy(name, signalNames[j]).count
            }
        }
        return result
    }

    function refreshes() {
        return counts(["refresh"])
    }

    function searches() {
        return counts(["modelRefresh", "modelLiveRefresh"])
    }

    function only(name, count) {
        var expected = {}
        for (var i = 0; i < pages.length; ++i)
            expected[pages[i][2]] = pages[i][2] === name ? count : 0
        return expected
    }

    function test_everyPageHasItsView() {
        for (var i = 0; i < pages.length; ++i) {
            var view = container.viewAt(pages[i][0], pages[i][1])
            verify(view, pages[i][2])
            compare(view.objectName, pages[i][2])
        }
        compare(container.viewAt(3, 1), null)
        compare(container.viewAt(5, 0), null)
    }

    function test_refreshTable_data() {
        return [
            { tag: "orders 0", area: 0, sub: 0, view: "Erfasst", keyword: "", checks: 0 },
            { tag: "orders 1", area: 0, sub: 1, view: "Abgerechnet", keyword: "", checks: 0 },
            { tag: "orders 2", area: 0, sub: 2, view: "", checks: 0 },
            { tag: "orders 3", area: 0, sub: 3, view: "NeuerAuftrag", keyword: undefined, checks: 0 },
            { tag: "warehouse 0", area: 1, sub: 0, view: "", checks: 0 },
            { tag: "warehouse 1", area: 1, sub: 1, view: "ArtikelbestandUebersicht", keyword: undefined, checks: 1 },
            { tag: "warehouse 2", area: 1, sub: 2, view: "ArtikelgruppenUebersicht", keyword: undefined, checks: 0 },
            { tag: "warehouse 3", area: 1, sub: 3, view: "", checks: 0 },
            { tag: "warehouse 4", area: 1, sub: 4, view: "", checks: 0 },
            { tag: "customers 0", area: 2, sub: 0, view: "KundenUebersicht", keyword: "", checks: 0 },
            { tag: "customers 1", area: 2, sub: 1, view: "", checks: 0 },
            { tag: "users 0", area: 3, sub: 0, view: "", checks: 0 },
            { tag: "settings 0", area: 4, sub: 0, view: "", checks: 0 }
        ]
    }

    function test_refreshTable(data) {
        container.changeView(data.area)
        compare(refreshes(), only("", 0), "choosing an area reloads nothing")
        container.changeContainerIndex(data.sub)
        compare(container._curViewIndex, data.area)
        compare(container._curSubViewIndex, data.sub)
        compare(container.currentView(), container.viewAt(data.area, data.sub))
        compare(refreshes(), only(data.view, 1))
        if (data.view !== "")
            compare(spy(data.view, "refresh").signalArguments[0][0], data.keyword)
        // the open delivery order is read where the page shows it; the submenu reads the same
        compare(_warehouse.checks, data.checks)
    }

    // What the warehouse changed, the stock overview shows again: the list
    // and the open delivery order, which the submenu follows as well.
    function test_stockOverviewReloadsWhatTheWarehouseChanged() {
        var refreshes = spy("ArtikelbestandUebersicht", "refresh")
        _warehouse.stockChanged()
        compare(refreshes.count, 1)
        compare(_warehouse.checks, 1)
    }

    // Each view gets the session, the notifier and the warehouse when it declares them.
    function test_viewsGetWhatTheyDeclare_data() {
        return pages.map(function (p) { return { tag: p[2], area: p[0], sub: p[1] } })
    }

    function test_viewsGetWhatTheyDeclare(data) {
        var view = container.viewAt(data.area, data.sub)
        var handed = { "session": _session, "notifier": _notifier, "warehouse": _warehouse }
        for (var name in handed) {
            if (name in view)
                verify(view[name] === handed[name], data.tag + "." + name)
        }
        var warehouseViews = ["ArtikelbestandBuchen", "ArtikelbestandUebersicht"]
        compare("warehouse" in view, warehouseViews.indexOf(data.tag) >= 0)
        compare("session" in view, ["Erfasst", "Abgerechnet", "KundenUebersicht", "ArtikelbestandUebersicht",
                                    "ArtikelgruppenUebersicht"].indexOf(data.tag) >= 0)
    }

    function test_areasKeepTheirPageAndTheSubViewIndexIsShared() {
        container.changeView(0)
        container.changeContainerIndex(2)
        container.changeView(1)
        compare(container.currentView().objectName, "ArtikelbestandBuchen")
        compare(container._curSubViewIndex, 2, "choosing an area keeps the index")
        container.changeContainerIndex(4)
        container.changeView(0)
        compare(container.currentView().objectName, "Rechnungen")
        compare(container._curSubViewIndex, 4)
    }

    function test_singlePageAreasKeepTheirPageForAnyIndex_data() {
        return [ { tag: "users", area: 3, view: "Users" }, { tag: "settings", area: 4, view: "Update" } ]
    }

    function test_singlePageAreasKeepTheirPageForAnyIndex(data) {
        container.changeView(data.area)
        container.changeContainerIndex(1)
        compare(container._curSubViewIndex, 1)
        compare(container.currentView().objectName, data.view)
        container.changeContainerIndex(7)
        compare(container._curSubViewIndex, 7)
        compare(container.currentView().objectName, data.view)
        compare(refreshes(), only("", 0))
    }

    function test_beforeAnyAreaNothingIsReloaded() {
        compare(container._curViewIndex, undefined)
        container.changeContainerIndex(0)
        compare(container._curSubViewIndex, 0)
        compare(container.currentView().objectName, "Erfasst")
        compare(refreshes(), only("", 0))
        container.searchKeyword("abc", true)
        compare(searches(), only("", 0))
    }

    function test_searchReachesOnlyTheListInFront_data() {
        var rows = []
        for (var i = 0; i < pages.length; ++i) {
            var name = pages[i][2]
            var takes = name === "Erfasst" || name === "Abgerechnet" || name === "KundenUebersicht"
            rows.push({ tag: name + " live", area: pages[i][0], sub: pages[i][1], view: takes ? name : "", live: true })
            rows.push({ tag: name + " confirmed", area: pages[i][0], sub: pages[i][1], view: takes ? name : "", live: false })
        }
        return rows
    }

    function test_searchReachesOnlyTheListInFront(data) {
        container.changeView(data.area)
        container.changeContainerIndex(data.sub)
        container.searchKeyword("Müller", data.live)
        compare(searches(), only(data.view, 1))
        if (data.view !== "") {
            var received = spy(data.view, data.live ? "modelLiveRefresh" : "modelRefresh")
            compare(received.count, 1)
            compare(received.signalArguments[0][0], "Müller")
        }
    }

    function test_switchingAreaWithoutChoosingAnEntryRoutesByTheOldIndex() {
        container.changeView(0)
        container.changeContainerIndex(1)
        container.changeView(2)
        compare(container.currentView().objectName, "KundenUebersicht")
        container.searchKeyword("abc", true)
        container.searchKeyword("abc", false)
        compare(searches(), only("", 0), "customers 1 takes no search")
        container.changeContainerIndex(0) // "Kunden Übersicht"
        container.searchKeyword("abc", false)
        compare(searches(), only("KundenUebersicht", 1))
    }
}
