import QtQuick 2.15

import "./routes.js" as Routes

// The column of the area icons of the route table: orders, warehouse,
// customers, user manager, settings. The item of the current area is the
// selected one.
Column {
    id: _area

    // the current area and sub-view, shared with the rest of the working surface
    required property NavigationState navigationState
    // index of the chosen area, -1 before the first choice
    readonly property int activeElement: navigationState.area !== undefined ? navigationState.area : -1

    // an area was chosen (0 to 4)
    signal menuChanged(int menu)

    // chooses the area submenu (0 to 4) exactly as a click on its icon; other values do nothing
    function changeShortcutmenu(submenu) {
        if (submenu < 0 || submenu >= _items.count)
            return
        navigationState.chooseArea(submenu)
    }

    // the item of one area, for tests
    function itemAt(index) {
        return _items.itemAt(index)
    }

    Connections {
        target: _area.navigationState
        function onAreaChosen(area) {
            _area.menuChanged(area)
        }
    }

    Repeater {
        id: _items

        model: Routes.areas

        ShortcutItem {
            objectName: modelData.button
            width: _area.width
            shortcut_icon: modelData.icon
            name: modelData.header
            selected_icon: index === _area.activeElement
            onActivated: _area.changeShortcutmenu(index)
        }
    }
}
