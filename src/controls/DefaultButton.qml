import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../static"

// A highlighted button that can show that it is the default of its popup:
// beside its text the return key's arrow, the key that presses it.
Button {
    id: _button

    // true shows the return key's arrow (the popup presses this button on Return)
    property bool isDefault: true

    highlighted: true
    NoShadowLayer { target: _button.background }

    contentItem: Item {
        implicitWidth: _row.implicitWidth
        implicitHeight: _row.implicitHeight

        Row {
            id: _row

            // the colour the style gives a highlighted button's text
            readonly property color textColor: !_button.enabled ? _button.Material.hintTextColor
                                                                : _button.flat ? _button.Material.accentColor
                                                                               : _button.Material.primaryHighlightedTextColor

            anchors.centerIn: parent
            spacing: 10 * c_Scale

            Text {
                objectName: "buttonText"
                anchors.verticalCenter: parent.verticalCenter
                text: _button.text
                textFormat: Text.PlainText
                font: _button.font
                color: _row.textColor
            }

            // Font Awesome's "level down" turned a quarter: the arrow printed on the return key
            Text {
                objectName: "returnKey"
                anchors.verticalCenter: parent.verticalCenter
                visible: _button.isDefault
                rotation: 90
                font.family: CustomFonts.names.fontAwesomeRegular
                font.bold: true
                font.pixelSize: _button.font.pixelSize
                color: _row.textColor
                text: "\uf3be"
            }
        }
    }
}
