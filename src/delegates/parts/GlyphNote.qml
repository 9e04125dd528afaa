import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static"

// A longer text of a card, a note: a Font Awesome glyph followed by the text,
// which wraps (between words, and inside a word longer than a line) instead
// of ending in an ellipsis.
Item {
    id: _note

    // the glyph, a Font Awesome code point
    property string glyph: "\uf05a"
    // the text shown behind the glyph (undefined and null show nothing)
    property var value: ""
    // pixel size of glyph and text
    property real pixelSize: 15 * c_Scale

    // the text as it is shown
    readonly property string text: value === undefined || value === null ? "" : String(value)

    implicitHeight: Math.max(_glyph.implicitHeight, _text.implicitHeight)

    Text {
        id: _glyph

        objectName: "glyph"
        width: Math.ceil(_note.pixelSize * 1.3)
        horizontalAlignment: Text.AlignHCenter
        font.family: CustomFonts.names.fontAwesomeRegular
        // the regular family's bold weight is Font Awesome's solid face, which has every glyph
        font.bold: true
        font.pixelSize: _note.pixelSize
        color: Colors.c_nav_font
        text: _note.glyph
    }

    Text {
        id: _text

        objectName: "value"
        anchors.left: _glyph.right
        anchors.leftMargin: 10 * c_Scale
        anchors.right: parent.right
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        // notes are data from the backend: never read as markup
        textFormat: Text.PlainText
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: _note.pixelSize
        color: Colors.c_nav_font
        text: _note.text
    }
}
