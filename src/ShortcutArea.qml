import QtQuick 2.15

// The column of the five area icons: orders, warehouse, customers, user
// manager, settings. Exactly one item is selected at a time.
Column {
    id: _area

    // index of the chosen area, -1 before the first choice
    property int activeElement: -1

    // an area was chosen (0 to 4)
    signal menuChanged(int menu)

    // chooses the area submenu (0 to 4) exactly as a click on its icon; other values do nothing
    function changeShortcutmenu(submenu) {
        if (submenu < 0 || submenu >= _items.count)
            return
        _items.itemAt(submenu).activate()
    }

    // the item of one area, for tests
    function itemAt(index) {
        return _items.itemAt(index)
    }

    function _select(index) {
        for (var i = 0; i < _items.count; ++i) {
            if (i !== index)
                _items.itemAt(i).selected_icon = false
        }
        activeElement = index
        menuChanged(index)
    }

    Repeater {
        id: _items

        model: [
            { icon: "\uf570", name: "bt_Auftraegemanager" },
            { icon: "\uf49e", name: "bt_Lagermanager" },
            { icon: "\uf0c0", name: "bt_Customer" },
            { icon: "\uf007", name: "bt_Usermanager" },
            { icon: "\uf013", name: "bt_Settingsmanager" }
        ]

        ShortcutItem {
            objectName: modelData.name
            width: _area.width
            shortcut_icon: modelData.icon
            onActivated: _area._select(index)
        }
    }
}
