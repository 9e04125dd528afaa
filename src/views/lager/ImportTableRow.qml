import QtQuick 2.15

// Produktiv
// import "qrc:/static/colors.js" as Colors
// import "qrc:/static"

// Testing
import "../../../static/colors.js" as Colors
import "../../../static"

// One line of the import preview: cells side by side, each as wide as its
// share of the line. The heading line uses the same shares.
Rectangle {
    id: _row

    // the cells' texts, left to right
    property var cells: []
    // each cell's share of the width (the shares add up to 1)
    property var shares: []
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
                width: _row.width * (_row.shares[index] || 0)
                leftPadding: 6
                rightPadding: 6
                // file contents: never read as markup
                textFormat: Text.PlainText
                text: _row.cells[index] === undefined ? "" : String(_row.cells[index])
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 14
                font.bold: _row.heading
                color: _row.textColor
            }
        }
    }
}
