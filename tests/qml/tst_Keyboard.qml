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

    // the popup a test opened, closed again after it
    property var _popup: null

    function cleanup() {
        if (_popup)
            _popup.close()
        _popup = null
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

    // every popup a user can open, from the keyboard: `open` names the keys that open it
    // (the card action under Menu, or the view's field reached by Tab)
    function test_popup_data() {
        return [
            { tag: "checkoutPopup", area: 0, subView: 0, open: "cardAction", action: "checkout" },
            { tag: "changePopup", area: 0, subView: 0, open: "cardAction", action: "modify" },
            { tag: "customerChangePopup", area: 2, subView: 0, open: "cardAction", action: "modify" },
            { tag: "cancelQuestion", area: 1, subView: 1, open: "tabTo", field: "statusArea", key: Qt.Key_Return },
            { tag: "addressPopup", area: 1, subView: 1, open: "tabTo", field: "generateButton", key: Qt.Key_Space }
        ]
    }

    // Opened from the keyboard, the popup holds the focus: Tab and Shift+Tab
    // go round its named fields alone, each in sight, and Escape closes it
    // with the focus back where it was.
    function test_popup(data) {
        var window = _case.Window.window
        keyClick(Qt.Key_1 + data.area, Qt.ControlModifier)
        navigation().navigationState.chooseSubView(data.subView)
        var view = container().currentView()
        tryVerify(function () { return !loading(view) }, 10000, "the view has loaded")
        wait(200)
        var popup = findChild(view, data.tag)
        verify(popup !== null, "no popup " + data.tag)
        _popup = popup

        if (data.open === "cardAction") {
            var list = findChild(view, "list")
            list.forceActiveFocus()
            verify(list.count > 0, "the demo data has a card")
            keyClick(Qt.Key_Home)
            keyClick(Qt.Key_Menu)
            for (var a = 0; a < 6 && window.activeFocusItem.objectName !== data.action; ++a)
                keyClick(Qt.Key_Down)
            compare(window.activeFocusItem.objectName, data.action, "the card action under Menu and Down")
        } else {
            tryVerify(function () {
                var field = findChild(view, data.field)
                return field !== null && field.visible && field.enabled
            }, 10000, "the view shows " + data.field)
            var path = []
            for (var t = 0; t < 80 && window.activeFocusItem.objectName !== data.field; ++t) {
                keyClick(Qt.Key_Tab)
                path.push(window.activeFocusItem)
            }
            verify(window.activeFocusItem.objectName === data.field, "Tab does not reach " + data.field + ": "
                   + path.slice(-12).map(function (item) { return item.objectName || String(item) }).join(" > "))
        }
        var before = window.activeFocusItem
        keyClick(data.key || Qt.Key_Return)
        tryCompare(popup, "opened", true, 10000)
        tryVerify(function () { return popup.busy !== true }, 10000, "the popup has loaded")
        wait(200)

        var inside = popup.contentItem
        compare(accessibility.unnamed(inside), [], "interactive elements without a name")
        var start = window.activeFocusItem
        verify(start !== null && within(start, inside), "the popup took no focus: " + (start ? label(start) : "none"))
        var walk = [start].concat(tabRound())
        for (var i = 0; i < walk.length; ++i)
            verify(within(walk[i], inside), "Tab left the popup for " + label(walk[i]))
        // the round: from where the walk came back, once round
        var back = walk.indexOf(window.activeFocusItem)
        verify(back >= 0, "Tab does not come back round: " + walk.map(label).join(" > "))
        var round = walk.slice(back)
        for (var k = round.length - 1; k >= 0; --k) {
            keyClick(Qt.Key_Backtab, Qt.ShiftModifier)
            verify(window.activeFocusItem === round[k], "Shift+Tab goes to " + label(window.activeFocusItem)
                   + " instead of " + label(round[k]))
        }

        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false, 5000)
        wait(100)
        verify(window.activeFocusItem === before, "after the popup the focus is on "
               + (window.activeFocusItem ? label(window.activeFocusItem) : "nothing") + ", not on " + label(before))
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
