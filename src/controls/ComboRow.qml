import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

// A row of a drop-down's open list, in the drop-down's own font. Its text is
// shown as it is: never read as markup, and "&" is no shortcut mark (rows
// carry names of customers and companies).
ItemDelegate {
    id: _row

    // the drop-down the row belongs to
    property ComboBox box: null
    // the row's text
    property string label: ""

    width: box ? box.width : implicitWidth
    font: box ? box.font : Qt.application.font

    contentItem: Text {
        objectName: "rowText"
        text: _row.label
        textFormat: Text.PlainText
        font: _row.font
        color: _row.Material.foreground
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
}
