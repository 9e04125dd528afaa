import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../static/NotificationState.js" as NotificationState
import "./routes.js" as Routes
import "./controls"

// The submenu beside the area icons: one page per area of the route table
// with its header, action button and entries; the page of the current area
// is shown. The warehouse page follows the warehouse's open delivery order
// and opens new ones through the customer picker.
Item {
    id: _submenu

    // the current area and sub-view, shared with the rest of the working surface
    required property NavigationState navigationState
    // the login state (loggedIn, token), for the customer picker
    property var session: null
    // the window banner's notifier, for what goes wrong with delivery orders
    property var notifier: null
    // the open delivery order and its workflows
    property var warehouse: null
    // the area whose page is shown; -1: none
    readonly property int currentSubmenu: navigationState.area !== undefined ? navigationState.area : -1
    // true: a delivery order is open; false: none is; undefined: not known yet
    readonly property var deliveryOrderOpen: warehouse ? warehouse.open : undefined
    // the customer picker of the warehouse page, for tests
    readonly property alias customerPicker: _picker

    // shows the page of this area (0 to 4): the area becomes the current one
    signal changeSubmenu(int submenu)
    // asks for the sub-view with this index in the current area
    signal subItemChange(int index)

    // puts the keyboard focus on the first button of the shown page
    function focusPage() {
        var page = pageAt(currentSubmenu)
        if (page)
            page.focusFirst()
    }

    // the page of one area, for tests
    function pageAt(index) {
        return _pages.itemAt(index)
    }

    // The action button: the booking needs an open delivery order, so without
    // one (or while that is not known) it opens one first.
    function _onAction(action) {
        if (action.deliveryOrder && deliveryOrderOpen !== true)
            _picker.open()
        else
            subItemChange(action.subView)
    }

    Material.theme: Material.Light
    Material.accent: Material.Pink

    onChangeSubmenu: navigationState.chooseArea(submenu)
    onSubItemChange: navigationState.chooseSubView(index)

    Repeater {
        id: _pages
        model: Routes.areas

        SubmenuPage {
            // whether the action button follows the open delivery order
            readonly property bool forDeliveryOrder: modelData.action !== null && modelData.action.deliveryOrder === true

            objectName: "submenu_" + index
            anchors.fill: parent
            anchors.topMargin: 30 * c_Scale
            visible: index === _submenu.currentSubmenu
            header: modelData.header
            actionText: {
                if (modelData.action === null)
                    return ""
                if (forDeliveryOrder && _submenu.deliveryOrderOpen === false)
                    return qsTr("Neuer Lieferschein")
                return modelData.action.text
            }
            actionEnabled: !forDeliveryOrder || !_submenu.warehouse || !_submenu.warehouse.creating
            busy: forDeliveryOrder && !!_submenu.warehouse && _submenu.warehouse.checking
            entries: modelData.entries
            onActionClicked: _submenu._onAction(modelData.action)
            onEntryClicked: _submenu.subItemChange(subView)
            // the warehouse page checks whenever it comes into view
            onVisibleChanged: {
                if (forDeliveryOrder && visible && _submenu.warehouse)
                    _submenu.warehouse.check()
            }
        }
    }

    // what goes wrong reading or opening delivery orders goes to the window's banner
    Connections {
        target: _submenu.warehouse
        function onReported(workflow, settings) {
            if (!_submenu.notifier)
                return
            if (workflow === "check")
                _submenu.notifier.notifyConnectionProblem()
            else if (workflow === "opening")
                _submenu.notifier.notify(settings)
        }
    }

    CustomerPicker {
        id: _picker
        objectName: "customerPicker"
        session: _submenu.session
        onCustomerChosen: {
            if (_submenu.warehouse)
                _submenu.warehouse.openDeliveryOrder(customer.id)
            _submenu.subItemChange(1)
        }
        onLoadFailed: {
            if (_submenu.notifier)
                _submenu.notifier.notify([qsTr("Kundenliste nicht geladen"),
                                          qsTr("Die Kunden konnten nicht geladen werden"), NotificationState.ERROR])
        }
    }
}
