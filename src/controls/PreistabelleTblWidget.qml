import QtQuick 2.15

// The amounts of a billing preview as a table that fills its parent: the rows
// at even positions (the labels) bold on grey, the values below them regular.
// Every column is as wide as its widest label or amount. Set `model` to a
// PreistabelleTableModel's `tablemodel`.
MeasuredTable {
    id: _table

    anchors.fill: parent
    interactive: false
    clip: true
    boldRow: function (row) { return row % 2 === 0 }

    delegate: Rectangle {
        objectName: "cell_" + row + "_" + column
        color: row % 2 === 0 ? "#dddddd" : "#efefef"

        Text {
            objectName: "cellText"
            anchors.fill: parent
            padding: _table.cellPadding
            text: display
            textFormat: Text.PlainText
            font.bold: row % 2 === 0
        }
    }
}
