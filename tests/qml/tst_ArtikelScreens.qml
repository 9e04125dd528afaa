import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// Every warehouse view and popup in the window as the host sizes it on the
// office's screens (0.85 of the screen, c_Scale 0.7 below 1920 pixels), with
// long values: what is shown is shown whole (no text ends in an ellipsis,
// breaks inside a word or lies beyond its view's sides, unless its table
// scrolls sideways), and no popup is wider than its view. Keeps a picture of
// each for a person to look at.
ShellTestCase {
    id: _case
    name: "ArtikelScreens"
    width: 1632
    height: 918

    Component {
        id: _surfaceComponent
        WorkingSurface { session: _case.session }
    }

    TextMetrics {
        id: _metrics
    }

    property var surface: null
    property bool prepared: false
    // what does not fit on the screen of the current row, as "what: item: why" lines
    property var misfits: []

    // A delivery order with long values booked on it, once for all rows.
    function prepare() {
        if (prepared)
            return
        var open = reply(ServiceWarehouse.check_last_item, [token])
        var order = open.length > 0 ? open[0] : null
        if (!order) {
            var last = reply(ServiceWarehouse.get_last_deliveryno, [token])
            order = reply(ServiceWarehouse.add_deliveryorder,
                          [new Date(), last.length > 0 ? last[0].deliveryorders_no + 1 : 1, false, 22, token])
        }
        var groups = [["Winterjacke Nordkap wattiert", "Outdoorjacke", "Dunkelblau meliert", "XXL", 12500],
                      ["Kabel USB-C; 2 m, geflochten", "Ladekabel", "Anthrazit", "2 m", 99999]]
        for (var i = 0; i < groups.length; ++i) {
            var g = groups[i]
            var group = reply(ServiceWarehouse.add_articlegroup, [g[0], "ART-2026-000" + i, g[2], g[3], g[1], g[4],
                                                                  "A-12-04-Hochregal", undefined, "22", token])
            reply(ServiceWarehouse.add_articleinventory, ["401234567890" + i, 2500, String(group.id),
                                                           order.deliveryorders_no, token])
        }
        prepared = true
    }

    function cleanupTestCase() {
        testScreen.use(Screen.width, Screen.height)
    }

    // What is cut in `item` and below, as lines: a text that ends in an
    // ellipsis, breaks inside a word, or reaches beyond the sides of `frame`
    // (unless it lies in a list or table that scrolls sideways); a button
    // whose text does not fit.
    function cutItems(item, frame, scrolled, found) {
        if (!item || !item.visible || item.opacity === 0)
            return found
        var name = item.objectName || String(item).split("(")[0]
        var isText = item.truncated !== undefined && item.wrapMode !== undefined
        if (isText && item.text !== "") {
            if (item.truncated)
                found.push(name + ": '" + item.text + "' cut")
            var room = item.width - (item.leftPadding || 0) - (item.rightPadding || 0)
            // (a text that wraps anywhere has no words: a path)
            if (item.wrapMode !== Text.NoWrap && item.wrapMode !== Text.WrapAnywhere && room > 0) {
                _metrics.font = item.font
                var words = String(item.text).split(/\s+/)
                for (var w = 0; w < words.length; ++w) {
                    _metrics.text = words[w]
                    if (_metrics.advanceWidth > room + 1)
                        found.push(name + ": '" + words[w] + "' broken (" + _metrics.advanceWidth + " > " + room + ")")
                }
            }
            var left = item.mapToItem(frame, 0, 0).x
            if (!scrolled && (left < -1 || left + Math.min(item.width, item.contentWidth) > frame.width + 1))
                found.push(name + ": '" + item.text + "' beyond the sides (" + left + ", " + item.width + ")")
        }
        if (item.implicitContentWidth !== undefined && item.availableWidth !== undefined && item.text !== undefined
                && item.checkable !== undefined && item.implicitContentWidth > item.availableWidth + 1)
            found.push(name + ": button text '" + item.text + "' cut")
        var sideways = scrolled || (item.flicking !== undefined && item.contentWidth > item.width + 1)
        for (var i = 0; i < item.children.length; ++i)
            cutItems(item.children[i], frame, sideways, found)
        return found
    }

    function verifyFits(item, what) {
        var cut = cutItems(item, item, false, [])
        for (var i = 0; i < cut.length; ++i) {
            console.log("misfit: " + what + ": " + cut[i])
            misfits.push(what + ": " + cut[i])
        }
    }

    // a popup of `view` in front: no wider than the view, inside the window, and all of it whole
    function verifyPopup(popup, view, what, picture) {
        popup.open()
        tryCompare(popup, "opened", true)
        if (popup.width > view.width + 1)
            misfits.push(what + ": wider than its view (" + popup.width + " > " + view.width + ")")
        if (popup.height > _case.Window.window.height + 1)
            misfits.push(what + ": higher than the window (" + popup.height + ")")
        verifyFits(popup.contentItem, what)
        saveWindowGrab(picture)
        popup.close()
        tryCompare(popup, "visible", false)
    }

    // the focus on `item` of `view` brings it into sight
    function verifyFocusInSight(view, item, what) {
        item.forceActiveFocus()
        var area = findChild(view, "formArea")
        tryVerify(function () {
            var y = item.mapToItem(area, 0, 0).y
            return y >= 0 && y + item.height <= area.height
        }, 2000, what + " in sight")
    }

    function show(subView) {
        surface.navigationState.chooseArea(1)
        surface.navigationState.chooseSubView(subView)
        tryVerify(function () { return surface.container.currentView() !== null }, 10000)
        return surface.container.currentView()
    }

    function test_screens_data() {
        return [
            { tag: "1366x768", width: 1366, height: 768 },
            { tag: "1440x900", width: 1440, height: 900 },
            { tag: "1920x1080", width: 1920, height: 1080 }
        ]
    }

    function test_screens(data) {
        prepare()
        misfits = []
        testScreen.use(data.width, data.height)
        _case.Window.window.width = Math.round(c_Width)
        _case.Window.window.height = Math.round(c_Height)
        surface = createTemporaryObject(_surfaceComponent, _case, { width: c_Width, height: c_Height })
        var prefix = "warehouse-" + data.tag + "-"

        // Artikelbestand buchen, with a group chosen, and its confirmation
        var booking = show(0)
        var name = findChild(booking, "articleName")
        name.controlText = "Winterjacke Nordkap"
        tryVerify(function () { return name.searchListModel.count > 0 }, 10000)
        name.itemclicked(0)
        findChild(booking, "ean").text = "4012345678901"
        name.searchfield.visible = false
        verifyFits(booking, "booking")
        saveWindowGrab(prefix + "booking.png")
        verifyPopup(booking.confirmation, booking, "booking confirmation", prefix + "booking-saved.png")
        verifyFocusInSight(booking, findChild(booking, "saveButton"), "booking: Speichern")

        // Artikelbestand Übersicht with its popups
        var overview = show(1)
        tryCompare(overview, "loaded", true, 10000)
        tryCompare(overview, "busy", false, 10000)
        tryCompare(overview.statusArea, "visible", true, 10000)
        verifyFits(overview, "stock overview")
        saveWindowGrab(prefix + "stock-overview.png")
        verifyPopup(overview.addressPopup, overview, "address popup", prefix + "address-popup.png")
        overview.cancelQuestion.text = "Lieferschein Nr. 12345 mit 250 Artikelbeständen stornieren? Alle Buchungen werden gelöscht."
        verifyPopup(overview.cancelQuestion, overview, "cancel question", prefix + "cancel-question.png")

        // Artikelgruppe Übersicht
        var groups = show(2)
        tryCompare(groups, "loaded", true, 10000)
        tryCompare(groups, "busy", false, 10000)
        verifyFits(groups, "group overview")
        saveWindowGrab(prefix + "group-overview.png")

        // Artikelgruppe erfassen, filled with long values
        var capture = show(3)
        var values = { "articleno": "ART-2026-004711-B", "articlename": "Winterjacke Nordkap wattiert, Damen",
                       "typ": "Outdoorjacke mit abnehmbarer Kapuze", "farbe": "Dunkelblau meliert",
                       "size": "XXL / 54", "lager": "A-12-04-Hochregal" }
        for (var key in values)
            findChild(capture, key).text = values[key]
        findChild(capture, "menge").value = 99999
        verifyFits(capture, "capture")
        saveWindowGrab(prefix + "capture.png")
        verifyFocusInSight(capture, findChild(capture, "saveButton"), "capture: Speichern")

        // Artikelgruppe importieren, with the preview of a file with every kind of row
        var importer = show(4)
        importer.loadFile(Qt.resolvedUrl("data/artikelgruppen-gemischt.csv"))
        tryCompare(importer.importer, "checking", false, 10000)
        verifyFits(importer, "import")
        saveWindowGrab(prefix + "import.png")

        // the customer picker of the warehouse submenu
        verifyPopup(surface.navigation.submenuarea.customerPicker, overview, "customer picker",
                    prefix + "customer-picker.png")

        compare(misfits.join("\n"), "")
    }
}
