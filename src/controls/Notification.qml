import QtQuick 2.15

import "../../static"
import "../../static/colors.js" as Colors

// The bell of the top bar with a small red disc carrying a counter.
Item {
    id: _notification

    // the number on the disc; nothing raises it yet
    property int count: 0

    width: 70 * c_Scale
    height: 70 * c_Scale

    Text {
        id: _bell

        objectName: "bell"
        anchors.centerIn: parent
        font.family: CustomFonts.names.fontAwesomeRegular
        font.bold: true
        font.pixelSize: 35 * c_Scale
        color: Colors.c_nav_font
        text: "\uf0f3"
    }

    Rectangle {
        objectName: "badge"
        width: _notification.width / 3
        height: width
        radius: width / 2
        x: _bell.x + _bell.width - width / 2
        y: _bell.y - height / 4
        color: Colors.c_dark_red

        Text {
            objectName: "counter"
            anchors.centerIn: parent
            font.family: CustomFonts.names.nunitoSans
            font.weight: Font.ExtraBold
            font.pixelSize: 15 * c_Scale
            color: "white"
            text: _notification.count
        }
    }
}
