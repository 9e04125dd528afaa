import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

// Produktiv
// import "qrc:/static/NotificationState.js" as NotificationState
// import "qrc:/src/controls"

// Testing
import "../static/NotificationState.js" as NotificationState
import "./controls"

// The submenu beside the area icons: one page per area with its header, action
// button and entries. The warehouse page also opens delivery orders.
Item {
    id: _submenu

    // the area whose page is shown; -1: none
    property int currentSubmenu: -1
    // true: a delivery order is open; false: none is; undefined: not known yet
    readonly property var deliveryOrderOpen: _deliveryOrders.open
    // the customer picker of the warehouse page, for tests
    readonly property alias customerPicker: _picker

    // shows the page of this area (0 to 4) and hides the others; other values hide all
    signal changeSubmenu(int submenu)
    // asks for the sub-view with this index in the current area
    signal subItemChange(int index)
    // checks the open delivery order again at the next token poll
    signal refresh()
    // a banner triple [title, text, state] to be shown on the root panel
    signal notificationRequested(var settings)

    // the page of one area, for tests
    function pageAt(index) {
        return _pages.itemAt(index)
    }

    Material.theme: Material.Light
    Material.accent: Material.Pink

    onChangeSubmenu: currentSubmenu = submenu
    onRefresh: _deliveryOrders.restartPoll()
    Component.onCompleted: subItemChange(0)

    readonly property var _pageContents: [
        {
            header: qsTr("Aufträge"),
            actionText: qsTr("Neuer Auftrag"),
            entries: [
                { icon: "\uf044", label: qsTr("Erfasste Aufträge"), index: 0 },
                { icon: "\uf1ec", label: qsTr("Abgerechnete Aufträge"), index: 1 },
                { icon: "\uf570", label: qsTr("Rechnungen"), index: 2 }
            ]
        },
        {
            header: qsTr("Lager"),
            actionText: "", // depends on the open delivery order, see below
            entries: [
                { icon: "\uf0ce", label: qsTr("Artikelbestand Übersicht"), index: 1 },
                { icon: "\uf247", label: qsTr("Artikelgruppe Übersicht"), index: 2 },
                { icon: "\uf044", label: qsTr("Artikelgruppe erfassen"), index: 3 },
                { icon: "\uf6dd", label: qsTr("Artikelgruppe importieren"), index: 4 }
            ]
        },
        {
            header: qsTr("Kunden"),
            actionText: qsTr("NEUER KUNDE"),
            entries: [ { icon: "\uf500", label: qsTr("Kunden Übersicht"), index: 0 } ]
        },
        {
            header: qsTr("Usermanager"),
            actionText: qsTr("NEUER USER"),
            entries: [ { icon: "\uf500", label: qsTr("User Übersicht"), index: 1 } ]
        },
        {
            header: qsTr("Einstellungen"),
            actionText: "",
            entries: [ { icon: "\uf021", label: qsTr("Updates"), index: 1 } ]
        }
    ]
    // the sub-view each page's action button leads to
    readonly property var _actionTargets: [3, 0, 1, 0, -1]

    function _onAction(area) {
        if (area === 1 && _deliveryOrders.open !== true)
            _picker.open() // nothing open (or not known yet): open one first
        else
            subItemChange(_actionTargets[area])
    }

    Repeater {
        id: _pages
        model: _submenu._pageContents

        SubmenuPage {
            objectName: "submenu_" + index
            anchors.fill: parent
            anchors.topMargin: 30 * c_Scale
            visible: index === _submenu.currentSubmenu
            header: modelData.header
            actionText: index !== 1 ? modelData.actionText
                                    : (_deliveryOrders.open === false ? qsTr("Neuer Lieferschein")
                                                                      : qsTr("Artikelbestand buchen"))
            actionEnabled: index !== 1 || !_deliveryOrders.creating
            busy: index === 1 && _deliveryOrders.busy
            entries: modelData.entries
            onActionClicked: _submenu._onAction(index)
            onEntryClicked: _submenu.subItemChange(subView)
            // the warehouse page checks whenever it comes into view
            onVisibleChanged: {
                if (index === 1 && visible)
                    _deliveryOrders.check()
            }
        }
    }

    DeliveryOrderState {
        id: _deliveryOrders
        onFailed: _submenu.notificationRequested([title, text, NotificationState.ERROR])
    }

    CustomerPicker {
        id: _picker
        objectName: "customerPicker"
        onCustomerChosen: {
            _deliveryOrders.create(customer.id)
            _submenu.subItemChange(1)
        }
        onLoadFailed: _submenu.notificationRequested([qsTr("Kundenliste nicht geladen"),
                                                      qsTr("Die Kunden konnten nicht geladen werden"),
                                                      NotificationState.ERROR])
    }
}
