import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static"

// One line of the import preview: cells side by side, each as wide as the
// preview gives it (the heading line uses the same widths). A text wider than
// its cell wraps at its words; the line is as high as its highest cell.
Rectangle {
    id: _row

    // the cells' texts, left to right
    property var cells: []
    // each cell's width in pixels
    property var widths: []
    // true for the heading line: bold texts
    property bool heading: false
    // the texts' colour
    property color textColor: Colors.c_form_font

    height: Math.max(32, _cells.childrenRect.height + 10)

    Row {
        id: _cells

        anchors.verticalCenter: parent.verticalCenter
        width: parent.width

        Repeater {
            model: _row.cells.length

            Text {
                objectName: "cell_" + index
                width: _row.widths[index] || 0
                leftPadding: 6
                rightPadding: 6
                // file contents: never read as markup
                textFormat: Text.PlainText
                text: _row.cells[index] === undefined ? "" : String(_row.cells[index])
                wrapMode: Text.Wrap
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 14
                font.bold: _row.heading
                color: _row.textColor
            }
        }
    }
}
