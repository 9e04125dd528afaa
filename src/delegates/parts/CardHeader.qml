import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static"

// The header of a card: a name in wide bold letters with a number below it,
// and at the right a glyph with the record's id; a rule ends it. A name
// too long for the card ends in an ellipsis, or wraps (`wrap`).
Item {
    id: _header

    // the name (a customer's "surname lastname")
    property string name: ""
    // the number below the name (a customer's id); undefined and null show nothing
    property var subtitle: ""
    // the glyph in front of the record's id (the id card)
    property string glyph: "\uf2c2"
    // the record's id, at the right
    property var recordId: ""
    // true: a long name wraps onto further lines, and an empty number below it takes no line
    property bool wrap: false

    implicitHeight: _names.implicitHeight + 20 * c_Scale

    Column {
        id: _names

        anchors.left: parent.left
        anchors.right: _id.left
        anchors.rightMargin: 20 * c_Scale
        anchors.top: parent.top

        Text {
            objectName: "name"
            width: parent.width
            elide: _header.wrap ? Text.ElideNone : Text.ElideRight
            wrapMode: _header.wrap ? Text.Wrap : Text.NoWrap
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            font.bold: true
            font.pixelSize: 25 * c_Scale
            font.letterSpacing: 10 * c_Scale
            color: Colors.c_nav_font
            text: _header.name
        }

        Text {
            objectName: "subtitle"
            width: parent.width
            visible: !_header.wrap || text !== ""
            elide: Text.ElideRight
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            color: Colors.c_nav_font
            text: _header.subtitle === undefined || _header.subtitle === null ? "" : String(_header.subtitle)
        }
    }

    GlyphValue {
        id: _id

        objectName: "recordId"
        anchors.right: parent.right
        anchors.top: parent.top
        width: implicitWidth
        glyph: _header.glyph
        value: _header.recordId
        bold: true
    }

    CardRule {
        anchors.bottom: parent.bottom
    }
}
