import QtQuick 2.15

import "../static"

// One area icon of the navigation strip. A click reports it; the strip marks
// the item of the current area as selected.
Item {
    id: _item

    // the Font Awesome code point drawn as icon
    property string shortcut_icon: ""
    // whether this is the chosen area
    property bool selected_icon: false
    // true draws the solid (bold) icon face, false the thin one
    property bool specialCharacter: true

    // what the area is called, for assistive technology
    property string name: ""

    // the item was chosen by a click or the keyboard
    signal activated()

    height: 99 * c_Scale
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.onPressAction: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Keys.onSpacePressed: activated()

    Rectangle {
        objectName: "selection"
        anchors.fill: parent
        color: "#504772"
        visible: _item.selected_icon
    }

    Text {
        objectName: "icon"
        anchors.centerIn: parent
        text: _item.shortcut_icon
        font.family: CustomFonts.names.fontAwesomeRegular
        font.bold: _item.specialCharacter
        font.pixelSize: 50 * c_Scale
        color: "#f7f7f7"
    }

    // marks the chosen area at the right edge
    Rectangle {
        objectName: "bar"
        anchors.right: parent.right
        width: 6 * c_Scale
        height: parent.height
        color: "#746C96"
        visible: _item.selected_icon
    }

    // the keyboard's place in the strip
    Rectangle {
        objectName: "focusFrame"
        anchors.fill: parent
        anchors.margins: 4 * c_Scale
        color: "transparent"
        border.color: "#f7f7f7"
        border.width: 2 * c_Scale
        visible: _item.activeFocus
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: _item.activated()
    }
}
