import QtQuick 2.15

import "../../static/colors.js" as Colors
import "../../static"

// One submenu entry: an icon and a label in a row. Hovering makes the label
// bold; a click reports the sub-view this entry stands for.
Item {
    id: _button

    // the Font Awesome code point drawn as icon
    property string icon: ""
    // the entry's text
    property string label: "#Label"
    // true draws the solid (bold) icon face, false the thin one
    property bool specialCharacter: true
    // the sub-view this entry leads to
    property int subitemIndex: -1
    // true while the pointer rests on the entry
    readonly property bool hovered: _mouse.containsMouse

    // the entry was clicked; index is subitemIndex
    signal subitemClicked(int index)

    width: 260 * c_Scale
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.onPressAction: subitemClicked(subitemIndex)
    Keys.onReturnPressed: subitemClicked(subitemIndex)
    Keys.onEnterPressed: subitemClicked(subitemIndex)
    Keys.onSpacePressed: subitemClicked(subitemIndex)
    // the arrows walk the entries as Tab does
    Keys.onDownPressed: nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
    Keys.onUpPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
    height: 50 * c_Scale

    Row {
        anchors.verticalCenter: parent.verticalCenter
        spacing: 15 * c_Scale

        Text {
            id: _icon
            objectName: "icon"
            // a fixed box keeps the labels of all entries aligned
            width: 45 * c_Scale
            anchors.verticalCenter: parent.verticalCenter
            horizontalAlignment: Text.AlignHCenter
            text: _button.icon
            font.family: CustomFonts.names.fontAwesomeRegular
            font.bold: _button.specialCharacter
            font.pixelSize: 35 * c_Scale
            color: Colors.c_master_background
            opacity: 0.6
        }

        Text {
            id: _label
            objectName: "label"
            anchors.verticalCenter: parent.verticalCenter
            text: _button.label
            font.family: CustomFonts.names.montserrat
            font.weight: _button.hovered || _button.activeFocus ? Font.Bold : Font.Light
            // the keyboard's place among the entries
            font.underline: _button.activeFocus
            font.pixelSize: 15 * c_Scale
            color: Colors.c_master_background
        }
    }

    MouseArea {
        id: _mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: _button.subitemClicked(_button.subitemIndex)
    }
}
