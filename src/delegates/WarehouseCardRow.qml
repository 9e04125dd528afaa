import QtQuick 2.15

import "../../static/colors.js" as Colors
import "../../static"
import "./parts"

// The contents of a warehouse card: the name block at the left (name, type
// and, for bookings, the EAN), then the columns colour, size and quantity,
// each a glyph above its value. Every value is shown whole: long texts wrap at
// their words, and the row is as high as what it shows.
Item {
    id: _row

    // the article name
    property var title: ""
    // the type, below the name
    property var subtitle: ""
    // true shows the EAN line below the type
    property bool showEan: false
    // the EAN
    property var ean: ""
    // colour, size and quantity of the columns
    property var farbe: ""
    property var size: ""
    property var quantity: ""

    implicitHeight: Math.max(_names.height, _columns.height)

    function _text(value) {
        return value === undefined || value === null ? "" : String(value)
    }

    Column {
        id: _names

        anchors.left: parent.left
        anchors.right: _columns.left
        anchors.rightMargin: 20 * c_Scale
        spacing: 2 * c_Scale

        Text {
            objectName: "name"
            width: parent.width
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            font.bold: true
            font.pixelSize: 25 * c_Scale
            font.letterSpacing: 10 * c_Scale
            color: Colors.c_nav_font
            text: _row._text(_row.title)
        }
        Text {
            objectName: "subtitle"
            width: parent.width
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            color: Colors.c_nav_font
            text: _row._text(_row.subtitle)
        }
        Item {
            width: parent.width
            height: 14 * c_Scale

            CardRule {
                anchors.verticalCenter: parent.verticalCenter
            }
        }
        GlyphValue {
            objectName: "ean"
            width: parent.width
            visible: _row.showEan
            glyph: "\uf02a"
            value: _row.ean
        }
    }

    Row {
        id: _columns

        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10 * c_Scale

        Repeater {
            model: [["farbe", "\uf53f"], ["size", "\uf545"], ["quantity", "\uf516"]]

            GlyphOverValue {
                objectName: modelData[0]
                // one width on every card, so that the columns line up; wider values wrap
                width: 140 * c_Scale
                glyph: modelData[1]
                value: _row[modelData[0]]
            }
        }
    }
}
