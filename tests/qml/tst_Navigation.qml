import QtQuick 2.15
import QtTest 1.15

import "../../src"

// The navigation driven with the mouse on the working surface: area icons,
// submenu entries and action buttons move the container; the selection look
// follows the chosen area.
TestCase {
    id: _case
    name: "Navigation"
    when: windowShown
    visible: true
    // a 1920 × 1080 screen's working surface at scale 1
    width: 1632
    height: 918

    Component {
        id: _surfaceComponent
        WorkingSurface {
            width: _case.width
            height: _case.height
        }
    }

    SignalSpy { id: _areaSpy; signalName: "navigationChanged" }
    SignalSpy { id: _subSpy; signalName: "subitemChanged" }

    property var surface: null

    function init() {
        surface = createTemporaryObject(_surfaceComponent, _case)
        _areaSpy.clear()
        _subSpy.clear()
        _areaSpy.target = surface.navigation
        _subSpy.target = surface.navigation
        waitForRendering(surface)
    }

    function shortcut(name) {
        var item = findChild(surface.navigation, name)
        verify(item, name)
        return item
    }

    function entry(area, subView) {
        var item = findChild(surface.navigation.submenuarea.pageAt(area), "entry_" + subView)
        verify(item, "entry " + subView + " of area " + area)
        return item
    }

    function actionButton(area) {
        return findChild(surface.navigation.submenuarea.pageAt(area), "actionButton")
    }

    function test_startsInOrdersWithErfasstInFront() {
        var container = surface.container
        compare(container._curViewIndex, 0)
        compare(container._curSubViewIndex, 0)
        compare(container.currentView().objectName, "Erfasst")
        compare(surface.navigation.shortcutarea.activeElement, 0)
        verify(shortcut("bt_Auftraegemanager").selected_icon)
        verify(surface.navigation.submenuarea.pageAt(0).visible)
        verify(!surface.navigation.submenuarea.pageAt(1).visible)
    }

    function test_selectionLookFollowsTheClickedArea() {
        var names = ["bt_Auftraegemanager", "bt_Lagermanager", "bt_Customer", "bt_Usermanager", "bt_Settingsmanager"]
        var icons = ["\uf570", "\uf49e", "\uf0c0", "\uf007", "\uf013"]
        for (var i = names.length - 1; i >= 0; --i) {
            var item = shortcut(names[i])
            compare(item.shortcut_icon, icons[i])
            mouseClick(item)
            compare(surface.navigation.shortcutarea.activeElement, i)
            compare(_areaSpy.signalArguments[_areaSpy.count - 1][0], i)
            for (var j = 0; j < names.length; ++j) {
                var other = shortcut(names[j])
                compare(other.selected_icon, i === j, names[j] + " after " + names[i])
                compare(findChild(other, "selection").visible, i === j)
                compare(findChild(other, "bar").visible, i === j)
            }
            compare(findChild(item, "selection").color, "#504772")
            compare(findChild(item, "bar").color, "#746c96")
            for (var k = 0; k < 5; ++k)
                compare(surface.navigation.submenuarea.pageAt(k).visible, k === i)
        }
    }

    function test_changeShortcutmenuActsLikeAClickAndIgnoresOtherValues() {
        var shortcuts = surface.navigation.shortcutarea
        shortcuts.changeShortcutmenu(2)
        compare(shortcuts.activeElement, 2)
        compare(surface.container._curViewIndex, 2)
        _areaSpy.clear()
        shortcuts.changeShortcutmenu(5)
        shortcuts.changeShortcutmenu(-1)
        compare(_areaSpy.count, 0)
        compare(shortcuts.activeElement, 2)
        verify(shortcut("bt_Customer").selected_icon)
    }

    function test_entriesAndActionButtonsMoveTheContainer() {
        var container = surface.container
        // orders: entries and "Neuer Auftrag"
        mouseClick(entry(0, 1))
        compare(container.currentView().objectName, "Abgerechnet")
        mouseClick(entry(0, 2))
        compare(container.currentView().objectName, "Rechnungen")
        mouseClick(actionButton(0))
        compare(container.currentView().objectName, "NeuerAuftrag")
        compare(container._curSubViewIndex, 3)

        // warehouse: the entries (the action button depends on the backend)
        mouseClick(shortcut("bt_Lagermanager"))
        compare(container._curViewIndex, 1)
        compare(container.currentView().objectName, "ArtikelbestandBuchen")
        var warehouse = ["", "ArtikelbestandUebersicht", "ArtikelgruppenUebersicht",
                         "ArtikelgruppenErfassen", "ArtikelgruppenImport"]
        for (var i = 1; i < warehouse.length; ++i) {
            mouseClick(entry(1, i))
            compare(container.currentView().objectName, warehouse[i])
        }

        // customers: "NEUER KUNDE" and "Kunden Übersicht"
        mouseClick(shortcut("bt_Customer"))
        mouseClick(actionButton(2))
        compare(container.currentView().objectName, "NeuerKunde")
        mouseClick(entry(2, 0))
        compare(container.currentView().objectName, "KundenUebersicht")

        // user manager and settings: one page each, whatever is chosen
        mouseClick(shortcut("bt_Usermanager"))
        mouseClick(entry(3, 1))
        compare(container.currentView().objectName, "Users")
        compare(container._curSubViewIndex, 1)
        mouseClick(actionButton(3))
        compare(container.currentView().objectName, "Users")
        compare(container._curSubViewIndex, 0)
        mouseClick(shortcut("bt_Settingsmanager"))
        verify(!actionButton(4).visible)
        mouseClick(entry(4, 1))
        compare(container.currentView().objectName, "Update")

        // each area kept its own page
        mouseClick(shortcut("bt_Auftraegemanager"))
        compare(container.currentView().objectName, "NeuerAuftrag")
        mouseClick(shortcut("bt_Lagermanager"))
        compare(container.currentView().objectName, "ArtikelgruppenImport")
    }

    function test_hoverMakesTheLabelBold() {
        var button = entry(0, 0)
        var label = findChild(button, "label")
        compare(label.font.weight, Font.Light)
        mouseMove(button, button.width / 2, button.height / 2)
        tryCompare(label.font, "weight", Font.Bold)
        mouseMove(surface, surface.width - 5, surface.height - 5)
        tryCompare(label.font, "weight", Font.Light)
    }
}
