import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/routes.js" as Routes

// Every view of the route table from the keyboard and for a screen reader,
// after a real login: the areas and sub-views come by their keys, each view
// takes the focus on its first field, Tab visits the view's fields in
// reading order and only ever lands on something in sight, and every
// interactive element has a name that assistive technology can read out.
ShellTestCase {
    id: _case
    name: "Keyboard"
    width: 1632
    height: 918

    MainPanel {
        id: panel
        width: _case.width
        height: _case.height
    }

    function initTestCase() {
        panel.startApi("demo", "vendrix-demo")
        tryCompare(findChild(panel, "navigation"), "visible", true, 10000)
        tryCompare(findChild(panel, "loginPanel"), "visible", false, 5000)
    }

    function navigation() {
        return findChild(panel, "navigation")
    }

    function container() {
        return findChild(panel, "container")
    }

    function within(item, ancestor) {
        for (var p = item; p; p = p.parent) {
            if (p === ancestor)
                return true
        }
        return false
    }

    // in sight: visible, of some size, and on the page in front of every swipe view around it
    function inSight(item) {
        if (!item.visible || item.width <= 0 || item.height <= 0)
            return false
        for (var p = item; p; p = p.parent) {
            var swipe = p.SwipeView
            if (swipe && swipe.view && !swipe.isCurrentItem)
                return false
        }
        return true
    }

    // the item's object name or type, its accessible name, and the named items around it
    function label(item) {
        var name = accessibility.roleAndName(item)[1]
        var around = []
        for (var p = item.parent; p && around.length < 3; p = p.parent) {
            if (p.objectName)
                around.push(p.objectName)
        }
        return (item.objectName || String(item).replace(/\(.*$/, "")) + (name ? " \"" + name + "\"" : "")
                + (around.length > 0 ? " (in " + around.join(" < ") + ")" : "")
    }

    // Tab from the focus item round the window, until the walk comes back
    // (or 80 steps); the items visited in turn
    function tabRound() {
        var window = _case.Window.window
        var start = window.activeFocusItem
        var visited = []
        for (var i = 0; i < 80; ++i) {
            keyClick(Qt.Key_Tab)
            var item = window.activeFocusItem
            verify(item !== null, "Tab left the focus nowhere after " + visited.map(label).join(" > "))
            verify(inSight(item), "Tab landed on " + label(item) + ", which is out of sight")
            if (item === start || visited.indexOf(item) >= 0)
                break
            visited.push(item)
        }
        return visited
    }

    // whether a paged list under `item` still loads (a loaded page takes the focus)
    function loading(item) {
        if (item.loading === true || item.reloadPending === true)
            return true
        for (var i = 0; i < item.children.length; ++i) {
            if (loading(item.children[i]))
                return true
        }
        return false
    }

    // every page of the route table, reached by its keys
    function test_view_data() {
        var rows = []
        for (var a = 0; a < Routes.areas.length; ++a) {
            for (var s = 0; s < Routes.areas[a].pages.length; ++s)
                rows.push({ tag: Routes.viewName(Routes.areas[a].pages[s]), area: a, subView: s })
        }
        return rows
    }

    function test_view(data) {
        keyClick(Qt.Key_1 + data.area, Qt.ControlModifier)
        compare(navigation().navigationState.area, data.area, "Ctrl+" + (data.area + 1))
        navigation().navigationState.chooseSubView(data.subView)
        var view = container().currentView()
        compare(view.objectName, data.tag)
        tryVerify(function () { return !loading(view) }, 10000, "the view has loaded")
        wait(200)

        // names first: walking Tab must not be what makes them appear
        compare(accessibility.unnamed(view), [], "interactive elements without a name")

        var window = _case.Window.window
        var first = window.activeFocusItem
        verify(first !== null && within(first, view), "the view took no focus")
        // the round of Tab, turned to start where it enters the view; its fields
        // are the items from there until it leaves the view again
        var walk = [first].concat(tabRound())
        var enter = 0
        for (var k = 0; k < walk.length; ++k) {
            if (within(walk[k], view) && !within(walk[(k + walk.length - 1) % walk.length], view)) {
                enter = k
                break
            }
        }
        var fields = []
        for (var f = 0; f < walk.length && within(walk[(enter + f) % walk.length], view); ++f)
            fields.push(walk[(enter + f) % walk.length])
        // reading order: each field below the one before, or on its line to its right
        var order = fields.map(function (item) {
            var place = item.mapToItem(view, 0, 0)
            return { item: item, x: place.x, y: place.y }
        })
        for (var i = 1; i < order.length; ++i) {
            var before = order[i - 1]
            var now = order[i]
            var sameLine = Math.abs(now.y - before.y) < 10
            verify(sameLine ? now.x > before.x : now.y > before.y,
                   "Tab goes from " + label(before.item) + " back to " + label(now.item) + " in "
                   + fields.map(label).join(" > "))
        }
    }

    // the shell: the strip, the submenu and the top bar
    function test_shellNames() {
        compare(accessibility.unnamed(navigation()), [])
        compare(accessibility.unnamed(findChild(panel, "snarea")), [])
    }

    // a banner is an alert that says its title and text, so that it is read out when it shows
    function test_bannerIsAnAlert() {
        var banner = findChild(panel, "notificationBanner")
        banner.settings = ["Nicht gespeichert", "Der Server antwortet nicht", 0]
        banner.run = true
        var bar = findChild(banner, "bar")
        tryCompare(bar, "y", 0, 2000)
        compare(accessibility.roleAndName(bar), [8 /* QAccessible::AlertMessage */, "Nicht gespeichert: Der Server antwortet nicht"])
        banner.run = false
    }

    // Ctrl+PgDown walks the area's sub-views in the submenu's order and back round
    function test_subViewKeys() {
        keyClick(Qt.Key_3, Qt.ControlModifier)
        navigation().navigationState.chooseSubView(0)
        keyClick(Qt.Key_PageDown, Qt.ControlModifier)
        compare(container().currentView().objectName, "NeuerKunde", "the action comes first, then the overview")
        keyClick(Qt.Key_1, Qt.ControlModifier)
        navigation().navigationState.chooseSubView(3)
        var seen = []
        for (var i = 0; i < 4; ++i) {
            keyClick(Qt.Key_PageDown, Qt.ControlModifier)
            seen.push(container().currentView().objectName)
        }
        compare(seen, ["Erfasst", "Abgerechnet", "Rechnungen", "NeuerAuftrag"])
        keyClick(Qt.Key_PageUp, Qt.ControlModifier)
        compare(container().currentView().objectName, "Rechnungen")
    }
}
