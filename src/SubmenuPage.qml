import QtQuick 2.15
import QtQuick.Controls 2.15

import "../static"
import "./controls"

// One page of the submenu: the area's header, its action button and its
// entries, one below the other.
Item {
    id: _page

    // the area's name shown on top
    property string header: ""
    // text of the action button; empty: the page has none
    property string actionText: ""
    // whether the action button takes clicks
    property bool actionEnabled: true
    // the entries, each {icon, label, subView} (subView: where it leads)
    property var entries: []
    // shows the busy indicator beside the action button
    property bool busy: false

    // the action button was clicked
    signal actionClicked()
    // an entry was clicked; subView is where it leads
    signal entryClicked(int subView)

    // puts the keyboard focus on the action button, or the first entry when there is none
    function focusFirst() {
        if (_action.visible && _action.enabled)
            _action.forceActiveFocus(Qt.TabFocusReason)
        else if (_entries.count > 0)
            _entries.itemAt(0).forceActiveFocus(Qt.TabFocusReason)
    }

    Text {
        id: _header
        objectName: "header"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        text: _page.header
        font.family: CustomFonts.names.montserrat
        font.weight: Font.Thin
        font.pixelSize: 50 * c_Scale
        color: "white"
    }

    Button {
        id: _action
        objectName: "actionButton"
        NoShadowLayer { target: _action.background }
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: _header.bottom
        anchors.topMargin: 70 * c_Scale
        width: _page.width * 2 / 3
        height: _page.actionText !== "" ? _page.width / 5 : 0
        visible: _page.actionText !== ""
        enabled: _page.actionEnabled
        highlighted: true
        text: _page.actionText
        font.family: CustomFonts.names.montserrat
        font.pixelSize: 15 * c_Scale
        onClicked: _page.actionClicked()
        Keys.onReturnPressed: _page.actionClicked()
        Keys.onEnterPressed: _page.actionClicked()
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.verticalCenter: _action.verticalCenter
        anchors.left: _action.right
        anchors.leftMargin: 5 * c_Scale
        width: 45 * c_Scale
        height: width
        running: _page.busy
    }

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: _action.bottom
        anchors.topMargin: 90 * c_Scale
        spacing: 50 * c_Scale

        Repeater {
            id: _entries
            model: _page.entries

            AwesomeIconTextButton {
                objectName: "entry_" + modelData.subView
                icon: modelData.icon
                label: modelData.label
                subitemIndex: modelData.subView
                onSubitemClicked: _page.entryClicked(modelData.subView)
            }
        }
    }
}
