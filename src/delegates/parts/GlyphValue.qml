import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static"

// One value of a card: a Font Awesome glyph followed by the value as plain
// text, which ends in an ellipsis where it does not fit, or wraps (`wrap`).
Item {
    id: _cell

    // the glyph, a Font Awesome code point
    property string glyph: ""
    // the value shown behind the glyph (undefined and null show nothing)
    property var value: ""
    // 2 draws the glyph twice as large as the text
    property real glyphScale: 1
    // pixel size of the value's text
    property real pixelSize: 15 * c_Scale
    // true draws the value in bold
    property bool bold: false
    // true: a value wider than the cell wraps onto further lines (the glyph stays by the first)
    property bool wrap: false

    // the value as it is shown
    readonly property string text: value === undefined || value === null ? "" : String(value)

    implicitWidth: _glyph.width + _value.implicitWidth + 10 * c_Scale
    implicitHeight: Math.max(_glyph.implicitHeight, _value.anchors.topMargin + _value.implicitHeight)

    FontMetrics {
        id: _firstLine

        font: _value.font
    }

    Text {
        id: _glyph

        objectName: "glyph"
        // the glyphs of one column line up whatever their own width
        width: Math.ceil(_cell.pixelSize * _cell.glyphScale * 1.3)
        anchors.verticalCenter: _cell.wrap ? undefined : parent.verticalCenter
        anchors.top: _cell.wrap ? parent.top : undefined
        horizontalAlignment: Text.AlignHCenter
        font.family: CustomFonts.names.fontAwesomeRegular
        // the regular family's bold weight is Font Awesome's solid face, which has every glyph
        font.bold: true
        font.pixelSize: _cell.pixelSize * _cell.glyphScale
        color: Colors.c_nav_font
        text: _cell.glyph
    }

    Text {
        id: _value

        objectName: "value"
        anchors.left: _glyph.right
        anchors.leftMargin: 10 * c_Scale
        anchors.right: parent.right
        anchors.verticalCenter: _cell.wrap ? undefined : parent.verticalCenter
        // a wrapped value's first line stands beside the glyph's middle
        anchors.top: _cell.wrap ? parent.top : undefined
        anchors.topMargin: _cell.wrap ? Math.max(0, (_glyph.implicitHeight - _firstLine.height) / 2) : 0
        elide: _cell.wrap ? Text.ElideNone : Text.ElideRight
        wrapMode: _cell.wrap ? Text.WrapAtWordBoundaryOrAnywhere : Text.NoWrap
        // values are data from the backend: never read as markup
        textFormat: Text.PlainText
        font.family: CustomFonts.names.nunitoSans
        font.bold: _cell.bold
        font.pixelSize: _cell.pixelSize
        color: Colors.c_nav_font
        text: _cell.text
    }
}
