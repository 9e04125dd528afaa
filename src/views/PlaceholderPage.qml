import QtQuick 2.15

import "../../static/colors.js" as Colors
import "../../static"

// A view whose contents are still to come: it shows its title.
Rectangle {
    id: _page

    // the view's name, shown in the middle
    property string title: ""

    color: Colors.c_grayish_white

    Text {
        objectName: "title"
        anchors.centerIn: parent
        text: _page.title
        font.family: CustomFonts.names.montserrat
        font.weight: Font.Light
        font.pixelSize: 40 * c_Scale
        color: Colors.c_nav_font
    }
}
