import QtQuick 2.15

import "../../static/colors.js" as Colors
import "../../static"

// One delivery address in the address list: the designation above street,
// postcode and town. A click (on release) reports the entry's position.
Rectangle {
    id: _entry

    // [ids (1-based position), bezeichnung, strasse_nr, plz, stadt, provinz, land]
    property var fields: []
    // true while the pointer is over the entry
    readonly property bool hovered: _mouse.containsMouse

    // the entry was chosen; index is its position from 0 (ids minus 1)
    signal signalItemClicked(int index)

    height: 70 * c_Scale
    color: _mouse.pressed ? "#aaffffff" : (hovered ? Colors.c_grayish_white : "transparent")
    // raised above its neighbours while the pointer is over it
    z: hovered ? 1 : 0

    Column {
        anchors.left: parent.left
        anchors.leftMargin: 15 * c_Scale
        anchors.right: parent.right
        anchors.rightMargin: 15 * c_Scale
        anchors.verticalCenter: parent.verticalCenter

        Text {
            objectName: "designation"
            width: parent.width
            elide: Text.ElideRight
            textFormat: Text.PlainText
            text: _entry.fields.length > 1 ? String(_entry.fields[1]) : ""
            font.family: CustomFonts.names.montserrat
            font.pixelSize: 20 * c_Scale
            color: _entry.hovered ? Colors.c_dark_purple : Colors.c_grayish_white
        }
        Text {
            objectName: "address"
            width: parent.width
            elide: Text.ElideRight
            textFormat: Text.PlainText
            text: _entry.fields.length > 4
                  ? _entry.fields[2] + ", " + _entry.fields[3] + " " + _entry.fields[4] : ""
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 14 * c_Scale
            // on the light background of a hovered entry the pale colour would not read
            color: _entry.hovered ? Colors.c_nav_font : Colors.c_master_background
        }
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 2 * c_Scale
        color: "white"
    }

    MouseArea {
        id: _mouse

        anchors.fill: parent
        hoverEnabled: true
        onReleased: {
            if (containsMouse)
                _entry.signalItemClicked(Number(_entry.fields[0]) - 1)
        }
    }
}
