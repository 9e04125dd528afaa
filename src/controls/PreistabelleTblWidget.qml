import QtQuick 2.15

// The amounts of a billing preview as a table that fills its parent: the rows
// at even positions (the labels) bold on grey, the values below them regular.
// Set `model` to a PreistabelleTableModel's `tablemodel`.
TableView {
    id: _table

    anchors.fill: parent
    interactive: false
    columnSpacing: 1
    rowSpacing: 1
    clip: true

    delegate: Rectangle {
        objectName: "cell_" + row + "_" + column
        implicitWidth: _text.implicitWidth
        implicitHeight: _text.implicitHeight
        color: row % 2 === 0 ? "#dddddd" : "#efefef"

        Text {
            id: _text

            objectName: "cellText"
            anchors.fill: parent
            padding: 12
            text: display
            textFormat: Text.PlainText
            font.bold: row % 2 === 0
        }
    }
}
