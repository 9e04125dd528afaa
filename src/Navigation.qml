import QtQuick 2.15
import QtQml.Models 2.15

import "../static/colors.js" as Colors
import "../static"
import "./routes.js" as Routes

// The left-hand column of the working surface: the strip of area icons under
// the logo, and beside it the submenu of the chosen area. Both follow and
// change the shared navigation state.
Rectangle {
    id: _navigation

    // the current area and sub-view, shared with the view container
    required property NavigationState navigationState
    // the login state (loggedIn, token), for the submenu's customer picker
    property var session: null
    // the window banner's notifier, for the submenu's messages
    property var notifier: null
    // the open delivery order and its workflows, for the warehouse submenu
    property var warehouse: null
    // the submenu beside the strip
    readonly property alias submenuarea: _submenu
    // the strip of area icons
    readonly property alias shortcutarea: _shortcuts

    // an area was chosen (0 to 4)
    signal navigationChanged(int index)
    // a sub-view of the current area was chosen
    signal subitemChanged(int index)

    // The sub-views of the current area in the submenu's order (action
    // first, then the entries) that exist as pages; the booking only while
    // a delivery order is open, since its button opens one otherwise.
    function subViewOrder() {
        var area = navigationState.area
        if (area === undefined || area < 0 || area >= Routes.areas.length)
            return []
        var row = Routes.areas[area]
        var order = []
        if (row.action !== null && (row.action.deliveryOrder !== true || (!!warehouse && warehouse.open === true)))
            order.push(row.action.subView)
        for (var i = 0; i < row.entries.length; ++i)
            order.push(row.entries[i].subView)
        return order.filter(function (subView) {
            return Routes.page(area, subView) !== null
        })
    }

    // Chooses the sub-view `step` places after the current one in
    // subViewOrder() (negative: before), round the end.
    function stepSubView(step) {
        var order = subViewOrder()
        if (order.length === 0)
            return
        var at = order.indexOf(navigationState.subView)
        var next = at < 0 ? (step > 0 ? 0 : order.length - 1) : (at + step + order.length) % order.length
        navigationState.chooseSubView(order[next])
    }

    // Chooses the area `index` as a click on its icon does and puts the
    // keyboard into its submenu.
    function chooseAreaByKey(index) {
        if (index < 0 || index >= Routes.areas.length)
            return
        navigationState.chooseArea(index)
        _submenu.focusPage()
    }

    width: 470 * c_Scale
    color: Colors.c_darker_purple

    Component.onCompleted: _shortcuts.changeShortcutmenu(0)

    Connections {
        target: _navigation.navigationState
        function onAreaChosen(area) {
            _navigation.navigationChanged(area)
        }
        function onSubViewChosen(subView) {
            _navigation.subitemChanged(subView)
        }
    }

    // Ctrl+1 to Ctrl+5: the areas from the top of the strip down; only while
    // the working surface is shown
    Instantiator {
        model: Routes.areas.length
        delegate: Shortcut {
            sequence: "Ctrl+" + (index + 1)
            context: Qt.ApplicationShortcut
            enabled: _navigation.visible
            onActivated: _navigation.chooseAreaByKey(index)
        }
    }
    // Ctrl+PgDown / Ctrl+PgUp: the next / previous sub-view of the area
    Shortcut {
        sequence: "Ctrl+PgDown"
        context: Qt.ApplicationShortcut
        enabled: _navigation.visible
        onActivated: _navigation.stepSubView(1)
    }
    Shortcut {
        sequence: "Ctrl+PgUp"
        context: Qt.ApplicationShortcut
        enabled: _navigation.visible
        onActivated: _navigation.stepSubView(-1)
    }

    SubmenuArea {
        id: _submenu
        anchors.left: _strip.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        navigationState: _navigation.navigationState
        session: _navigation.session
        notifier: _navigation.notifier
        warehouse: _navigation.warehouse
    }

    // a soft shadow that the strip casts onto the submenu
    Rectangle {
        anchors.left: _strip.right
        width: 12 * c_Scale
        height: parent.height
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0.0; color: "#55000000" }
            GradientStop { position: 1.0; color: "#00000000" }
        }
    }

    Rectangle {
        id: _strip
        width: 85 * c_Scale
        height: parent.height
        color: Colors.c_purple

        Rectangle {
            id: _logo
            objectName: "logo"
            width: 85 * c_Scale
            height: 85 * c_Scale
            color: Colors.c_dark_red

            Text {
                anchors.centerIn: parent
                text: "VX"
                font.family: CustomFonts.names.montserrat
                font.weight: Font.Bold
                font.pixelSize: 32 * c_Scale
                color: Colors.c_grayish_white
            }
        }

        ShortcutArea {
            id: _shortcuts
            anchors.top: _logo.bottom
            width: parent.width
            navigationState: _navigation.navigationState
        }
    }
}
