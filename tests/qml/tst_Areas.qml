import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// The whole working surface after a real login: every area can be reached
// from its icon, the view in front is the one the submenu names, and the
// warehouse submenu's failures reach the root panel's banner. Keeps a picture
// of every area.
ShellTestCase {
    id: _case
    name: "Areas"
    // a 1920 × 1080 screen's window at scale 1
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

    function container() {
        return findChild(panel, "container")
    }

    function navigation() {
        return findChild(panel, "navigation")
    }

    function test_everyAreaFromItsIcon_data() {
        return [
            { tag: "orders", icon: "bt_Auftraegemanager", entry: 1, view: "Abgerechnet" },
            { tag: "warehouse", icon: "bt_Lagermanager", entry: 2, view: "ArtikelgruppenUebersicht" },
            { tag: "customers", icon: "bt_Customer", entry: 0, view: "KundenUebersicht" },
            { tag: "usermanager", icon: "bt_Usermanager", entry: 1, view: "Users" },
            { tag: "settings", icon: "bt_Settingsmanager", entry: 1, view: "Update" }
        ]
    }

    function test_everyAreaFromItsIcon(data) {
        mouseClick(findChild(navigation(), data.icon))
        var area = navigation().shortcutarea.activeElement
        compare(container()._curViewIndex, area)
        var page = navigation().submenuarea.pageAt(area)
        verify(page.visible)
        mouseClick(findChild(page, "entry_" + data.entry))
        compare(container().currentView().objectName, data.view)
        saveWindowGrab("area-" + area + "-" + data.tag + ".png")
    }

    function test_warehouseFailuresShowOnTheBanner() {
        // nothing open, so the action button opens the picker
        var open = reply(ServiceWarehouse.check_last_item, [panel.session.token])
        for (var i = 0; i < open.length; ++i)
            reply(ServiceWarehouse.generate_transaction, [open[i].id, panel.session.token])
        mouseClick(findChild(navigation(), "bt_Lagermanager"))
        var submenu = navigation().submenuarea
        tryCompare(submenu, "deliveryOrderOpen", false)
        var banner = findChild(panel, "notificationBanner")
        whileServerIsDown(function () {
            mouseClick(findChild(submenu.pageAt(1), "actionButton"))
            tryCompare(banner, "run", true, 10000)
            compare(banner.settings, ["Kundenliste nicht geladen", "Die Kunden konnten nicht geladen werden", 4])
            // drawn above the picker's backdrop, in its own colour (the offscreen
            // runs cannot grab the window; the runs on Xvfb can)
            var bar = findChild(banner, "bar")
            tryCompare(bar, "y", 0, 1000)
            var window = grabImage(_case.Window.window.contentItem)
            if (window.width > 0)
                compare(String(window.pixel(bar.width / 2, 5)), String(bar.color), "the bar is dimmed")
            saveWindowGrab("banner-customer-list-failed.png")
            keyClick(Qt.Key_Escape)
            tryCompare(submenu.customerPicker, "visible", false)
        })
    }
}
