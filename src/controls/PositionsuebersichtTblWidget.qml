import QtQuick 2.15
import QtQuick.Controls 2.15

// The positions of a billing preview as a table: a bold header row on grey,
// the positions below it, the net prices right-aligned. Set `model` to a
// PositionsubersichtTableModel's `tablemodel`. The host stretches it to the
// width it has; it scrolls by dragging only when the positions do not fit.
TableView {
    id: _table

    // widths of the columns 0 to 4; the net price column takes its content's width
    property var columnWidths: [50, 650 * c_Scale, 80 * c_Scale, 70 * c_Scale, 70 * c_Scale]

    implicitWidth: 1000
    contentWidth: 1000
    columnSpacing: 1
    rowSpacing: 1
    boundsBehavior: Flickable.StopAtBounds
    clip: true
    // the header and seven positions fit without scrolling
    interactive: rows > 8
    columnWidthProvider: function (column) {
        return column < columnWidths.length ? columnWidths[column] : -1
    }

    onRowsChanged: console.log("Positionsübersicht rows " + rows)

    ScrollBar.vertical: ScrollBar {
        policy: ScrollBar.AsNeeded
        width: 10
    }
    ScrollBar.horizontal: ScrollBar {
        policy: ScrollBar.AlwaysOn
    }

    delegate: Rectangle {
        objectName: "cell_" + row + "_" + column
        implicitWidth: _text.implicitWidth
        implicitHeight: _text.implicitHeight
        color: row === 0 ? "#dddddd" : "#efefef"

        Text {
            id: _text

            objectName: "cellText"
            anchors.fill: parent
            padding: 12
            text: display
            // descriptions are typed by users: never read as markup
            textFormat: Text.PlainText
            font.bold: row === 0
            horizontalAlignment: column === 5 && row !== 0 ? Text.AlignRight : Text.AlignLeft
        }
    }
}
