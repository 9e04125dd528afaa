import QtQuick 2.15

// Produktiv
// import "qrc:/static/colors.js" as Colors
// import "qrc:/static"

// Testing
import "../../static/colors.js" as Colors
import "../../static"

// A view whose contents are still to come: it shows its title and remembers
// what the container asked of it, so the routing can be observed.
Rectangle {
    id: _page

    // the view's name, shown in the middle
    property string title: ""
    // how often a refresh was asked for
    property int refreshCount: 0
    // how often a search arrived
    property int searchCount: 0
    // the keyword of the last refresh or search
    property var lastKeyword: undefined
    // whether the last search was a live search
    property bool lastLive: false

    // notes a refresh with its keyword (undefined for a refresh without one)
    function noteRefresh(keyword) {
        lastKeyword = keyword
        ++refreshCount
    }

    // notes a search and whether it was a live one
    function noteSearch(keyword, live) {
        lastKeyword = keyword
        lastLive = live
        ++searchCount
    }

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
