import QtQuick 2.15

// Produktiv
// import "qrc:/src/delegates/parts"

// Testing
import "./parts"

// The contents of a warehouse card: the name block at the left (name, type
// and, for bookings, the EAN), then the columns colour, size and quantity,
// each a glyph above its value.
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

    CardHeader {
        id: _header

        objectName: "header"
        width: parent.width * 0.45
        name: _row.title === undefined || _row.title === null ? "" : String(_row.title)
        subtitle: _row.subtitle
        glyph: ""
        recordId: ""
    }

    GlyphValue {
        objectName: "ean"
        anchors.top: _header.bottom
        anchors.topMargin: 6 * c_Scale
        width: _header.width
        visible: _row.showEan
        glyph: "\uf02a"
        value: _row.ean
    }

    Row {
        anchors.left: _header.right
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter

        Repeater {
            model: [["farbe", "\uf53f"], ["size", "\uf545"], ["quantity", "\uf516"]]

            GlyphOverValue {
                objectName: modelData[0]
                width: parent.width / 3
                glyph: modelData[1]
                value: _row[modelData[0]]
            }
        }
    }
}
