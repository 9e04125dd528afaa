import QtQuick 2.15

import "../../../static"

// The buttons at a card's right edge, stacked and sharing its height: each a
// coloured field with a white glyph. Hidden until `shown`; showing and hiding
// animate the width (80 × scale) over 100 ms.
Item {
    id: _column

    // the buttons from the top: [{name, glyph, color}]; a click emits triggered(name)
    property var actions: []
    // true shows the column at its full width
    property bool shown: false
    // opacity of the white glyphs
    property real glyphOpacity: 1
    // true draws the button under the pointer at half opacity
    property bool dimOnHover: false
    // pixel size of the glyphs
    property real glyphSize: 30 * c_Scale

    // the button `name` was clicked, or pressed with the keyboard
    signal triggered(string name)
    // Escape on a button: the keyboard is done with the column
    signal dismissed()

    // puts the keyboard on the top button
    function focusFirst() {
        if (_buttons.count > 0)
            _buttons.itemAt(0).forceActiveFocus()
    }

    width: shown ? 80 * c_Scale : 0
    visible: width > 0
    clip: true

    Behavior on width {
        NumberAnimation { duration: 100; easing.type: Easing.InOutQuad }
    }

    Column {
        anchors.right: parent.right
        width: 80 * c_Scale
        height: parent.height

        Repeater {
            id: _buttons
            model: _column.actions

            Rectangle {
                id: _button

                objectName: modelData.name
                width: parent.width
                height: _column.height / Math.max(1, _column.actions.length)
                color: modelData.color
                opacity: _column.dimOnHover && _mouse.containsMouse ? 0.5 : 1
                // the keyboard's button
                border.color: "white"
                border.width: activeFocus ? 3 * c_Scale : 0
                Accessible.role: Accessible.Button
                Accessible.name: modelData.label !== undefined ? modelData.label : ""
                Accessible.onPressAction: _column.triggered(modelData.name)
                Keys.onReturnPressed: _column.triggered(modelData.name)
                Keys.onEnterPressed: _column.triggered(modelData.name)
                Keys.onSpacePressed: _column.triggered(modelData.name)
                Keys.onEscapePressed: _column.dismissed()
                Keys.onUpPressed: if (index > 0) _buttons.itemAt(index - 1).forceActiveFocus()
                Keys.onDownPressed: if (index < _buttons.count - 1) _buttons.itemAt(index + 1).forceActiveFocus()

                Text {
                    anchors.centerIn: parent
                    font.family: CustomFonts.names.fontAwesomeRegular
                    font.bold: true
                    font.pixelSize: _column.glyphSize
                    color: "white"
                    opacity: _column.glyphOpacity
                    text: modelData.glyph
                }

                MouseArea {
                    id: _mouse

                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: _column.triggered(modelData.name)
                }
            }
        }
    }
}
