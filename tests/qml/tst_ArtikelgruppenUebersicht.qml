import QtQuick 2.15
import QtTest 1.15

import "../../src/views/lager"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// The article group overview against the reference server: every group is
// listed, a group is deleted from its card, and a group the backend keeps
// (stock is booked against it) stays with a message.
ShellTestCase {
    id: _case
    name: "ArtikelgruppenUebersicht"
    width: 1632
    height: 918

    Component {
        id: _viewComponent
        ArtikelgruppenUebersicht {
            session: _case.session
            width: _case.width
            height: _case.height
        }
    }

    SignalSpy { id: _refreshSpy; signalName: "refresh" }

    property var view: null

    function init() {
        view = createTemporaryObject(_viewComponent, _case)
        _refreshSpy.target = view
        // as the container does when the page is chosen
        view.refresh()
        tryCompare(view, "loaded", true, 10000)
        tryCompare(view, "busy", false, 10000)
        _refreshSpy.clear()
    }

    function cleanup() {
        cannedServer.clearAnswers()
    }

    function groups() {
        return reply(ServiceWarehouse.get_all_articlegroup, [token])
    }

    // the card of the group with this id, scrolled into view
    function card(groupId) {
        var list = findChild(view, "groupList").listView
        for (var i = 0; i < view.listModel.count; ++i) {
            if (view.listModel.get(i).id === groupId) {
                list.positionViewAtIndex(i, 0)
                return list.itemAtIndex(i)
            }
        }
        return null
    }

    function clickDelete(target) {
        mouseMove(target, target.width / 2, target.height / 2)
        var button = findChild(target, "deleteButton")
        tryCompare(target.actionColumn, "width", 80 * c_Scale)
        mouseClick(button)
    }

    function test_listsEveryGroupAndDeletesOne() {
        var all = groups()
        compare(view.listModel.count, all.length)
        compare(findChild(view, "emptyText").visible, false)
        saveWindowGrab("warehouse-group-overview.png")

        var spare = reply(ServiceWarehouse.add_articlegroup,
                          ["Löschjacke", "L-1", "gelb", "M", "Testware", 3, "L-01", undefined, "", token])
        view.refresh()
        tryVerify(function () { return card(spare.id) !== null }, 10000)
        testServer.clearRecords()
        clickDelete(card(spare.id))
        tryCompare(_refreshSpy, "count", 2, 10000)
        compare(testServer.records().filter(function (r) { return r.method === "DELETE" })[0].path,
                "/articlegroups/" + spare.id)
        tryVerify(function () { return card(spare.id) === null }, 10000)
        compare(groups().length, all.length)
    }

    // a double click on the delete button deletes once, without a false message
    function test_doubleClickDeletesOnce() {
        var spare = reply(ServiceWarehouse.add_articlegroup,
                          ["Doppelklickjacke", "L-2", "gelb", "M", "Testware", 3, "L-01", undefined, "", token])
        view.refresh()
        tryVerify(function () { return card(spare.id) !== null }, 10000)
        var target = card(spare.id)
        mouseMove(target, target.width / 2, target.height / 2)
        tryCompare(target.actionColumn, "width", 80 * c_Scale)
        testServer.clearRecords()
        mouseDoubleClickSequence(findChild(target, "deleteButton"))
        tryVerify(function () { return card(spare.id) === null }, 10000)
        tryCompare(view, "busy", false, 10000)
        compare(testServer.records().filter(function (r) { return r.method === "DELETE" }).length, 1)
        compare(view.banner.show, false)
    }

    function test_groupWithStockStaysWithAMessage() {
        var booked = reply(ServiceWarehouse.get_all_articleinventory, [token])
        verify(booked.length > 0, "the demo data has stock booked")
        var groupId = booked[0].articlegroup.id
        clickDelete(card(groupId))
        tryVerify(function () { return view.banner.settings[0] === "Artikelgruppe nicht gelöscht" }, 10000)
        compare(view.banner.settings[2], 4)
        tryCompare(view, "busy", false, 10000)
        verify(card(groupId) !== null)
    }

    function test_emptyListSaysSo() {
        cannedServer.answer("/articlegroups", 200, "[]")
        view.refresh()
        tryVerify(function () { return view.listModel.count === 0 }, 10000)
        verify(findChild(view, "emptyText").visible)
        compare(findChild(view, "emptyText").text, "- KEINE ARTIKELGRUPPE VORHANDEN -")
    }
}
