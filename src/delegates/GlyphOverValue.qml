import QtQuick 2.15

import "../../static/colors.js" as Colors
import "../../static"

// One value of a warehouse card: a Font Awesome glyph centred above the value
// (the shared GlyphValue puts the glyph beside it). The value wraps rather
// than being cut; implicitWidth is what it needs on one line.
Item {
    id: _cell

    // the glyph, a Font Awesome code point
    property string glyph: ""
    // the value below the glyph (undefined and null show nothing)
    property var value: ""
    // pixel size of the value's text; the glyph is half as large again
    property real pixelSize: 17 * c_Scale

    // the value as it is shown
    readonly property string text: value === undefined || value === null ? "" : String(value)

    implicitWidth: Math.max(_glyph.implicitWidth, _value.implicitWidth)
    implicitHeight: _glyph.implicitHeight + 8 * c_Scale + _value.implicitHeight

    Text {
        id: _glyph

        objectName: "glyph"
        anchors.horizontalCenter: parent.horizontalCenter
        // the regular family's bold weight is Font Awesome's solid face, which has every glyph
        font.family: CustomFonts.names.fontAwesomeRegular
        font.bold: true
        font.pixelSize: _cell.pixelSize * 1.5
        color: Colors.c_nav_font
        text: _cell.glyph
    }

    Text {
        id: _value

        objectName: "value"
        anchors.top: _glyph.bottom
        anchors.topMargin: 8 * c_Scale
        width: parent.width
        horizontalAlignment: Text.AlignHCenter
        // shown whole: a value wider than the cell wraps at its words
        wrapMode: Text.Wrap
        // values are data from the backend: never read as markup
        textFormat: Text.PlainText
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: _cell.pixelSize
        color: Colors.c_nav_font
        text: _cell.text
    }
}
