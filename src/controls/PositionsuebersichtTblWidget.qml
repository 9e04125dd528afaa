import QtQuick 2.15
import QtQuick.Controls 2.15

// The positions of a billing preview as a table: a bold header row on grey,
// the positions below it, the net prices right-aligned. Set `model` to a
// PositionsubersichtTableModel's `tablemodel`. The host stretches it to the
// width it has: every column is as wide as its widest value, and the
// description takes the rest and wraps, so nothing scrolls sideways. It
// scrolls by dragging only when its rows are higher than the table.
MeasuredTable {
    id: _table

    wrappingColumn: 1
    boldRow: function (row) { return row === 0 }
    boundsBehavior: Flickable.StopAtBounds
    clip: true
    interactive: rowsHeight > height + 0.5

    onRowsChanged: console.log("Positionsübersicht rows " + rows)

    ScrollBar.vertical: ScrollBar {
        policy: ScrollBar.AsNeeded
        width: 10
    }

    delegate: Rectangle {
        objectName: "cell_" + row + "_" + column
        color: row === 0 ? "#dddddd" : "#efefef"

        Text {
            objectName: "cellText"
            anchors.fill: parent
            padding: _table.cellPadding
            text: display
            // descriptions are typed by users: never read as markup
            textFormat: Text.PlainText
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            font.bold: row === 0
            horizontalAlignment: column === 5 && row !== 0 ? Text.AlignRight : Text.AlignLeft
        }
    }
}
