import QtQuick 2.15

import "../../src"

// The navigation and the view container side by side, connected the way the
// root panel connects them, with the banner requests collected.
Rectangle {
    id: _surface

    // the navigation on the left
    readonly property alias navigation: _navigation
    // the view container on the right
    readonly property alias container: _container
    // every banner triple the navigation asked for, oldest first
    property var notifications: []

    width: c_Width
    height: c_Height
    color: "#E5E6E8"

    Navigation {
        id: _navigation
        height: parent.height
        onNavigationChanged: _container.changeView(index)
        onSubitemChanged: _container.changeContainerIndex(index)
        onNotificationRequested: _surface.notifications = _surface.notifications.concat([settings])
    }

    ViewContainer {
        id: _container
        anchors.left: _navigation.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.topMargin: 110 * c_Scale
        anchors.bottom: parent.bottom
        onNavigationRefresh: _navigation.submenuarea.refresh()
    }
}
