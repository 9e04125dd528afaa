import QtQuick 2.15
import QtQuick.Controls.Material 2.15
import QtGraphicalEffects 1.15

import "../../static"

// The stock overview's status bar: the open delivery order's number and how
// many bookings it holds, with a close glyph at the right. The whole bar is
// one click target.
Item {
    id: _status

    // the text shown as the delivery order number
    property string lieferschein_nr: "<#no>"
    // the text shown as the number of bookings
    property string artikelbestand_nr: "<#no>"
    // true while the pointer is over the close glyph
    readonly property bool closeHovered: _mouse.containsMouse
                                         && _mouse.mouseX >= _closeArea.x && _mouse.mouseX <= _closeArea.x + _closeArea.width

    // the bar was clicked (anywhere, the glyph included)
    signal clicked()

    height: 55 * c_Scale
    activeFocusOnTab: height > 0
    Accessible.role: Accessible.Button
    Accessible.name: qsTr("Lieferschein %1 stornieren").arg(lieferschein_nr)
    Accessible.onPressAction: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Keys.onSpacePressed: clicked()

    // Shaders draw the shadow. The software renderer draws no shader, but an
    // effect built there would still copy the bar into images of its own
    // every frame: there the effect is not built at all.
    Loader {
        anchors.fill: _bar
        active: _status.height > 0 && GraphicsInfo.api !== GraphicsInfo.Software
                && GraphicsInfo.api !== GraphicsInfo.Unknown

        sourceComponent: DropShadow {
            source: _bar
            verticalOffset: 2
            radius: 8
            samples: 17
            color: Material.color(Material.Red)
        }
    }

    Rectangle {
        id: _bar

        anchors.fill: parent
        color: "white"
        clip: true

        Rectangle {
            width: 7 * c_Scale
            height: parent.height
            color: Material.color(Material.Red)
        }

        Column {
            anchors.left: parent.left
            anchors.leftMargin: 25 * c_Scale
            anchors.right: _closeArea.left
            anchors.verticalCenter: parent.verticalCenter

            Text {
                objectName: "numberLine"
                width: parent.width
                elide: Text.ElideRight
                textFormat: Text.PlainText
                text: qsTr("Lieferschein Nr:") + " " + _status.lieferschein_nr
                font.family: CustomFonts.names.nunitoSans
                font.bold: true
                font.pixelSize: 16 * c_Scale
                color: Material.color(Material.BlueGrey)
            }
            Text {
                objectName: "countLine"
                width: parent.width
                elide: Text.ElideRight
                textFormat: Text.PlainText
                text: qsTr("Anzahl der Artikelbestände: ") + _status.artikelbestand_nr
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 15 * c_Scale
                color: Material.color(Material.BlueGrey)
            }
        }

        Item {
            id: _closeArea

            anchors.right: parent.right
            width: 70 * c_Scale
            height: parent.height

            Text {
                objectName: "closeGlyph"
                anchors.centerIn: parent
                text: "\uf00d"
                font.family: CustomFonts.names.fontAwesomeRegular
                font.bold: true
                font.pixelSize: (_status.closeHovered ? 30 : 23) * c_Scale
                color: _status.closeHovered ? Material.color(Material.Red) : "#888"

                Behavior on font.pixelSize {
                    NumberAnimation { duration: 150 }
                }
            }
        }
    }

    // above the glyph: a click on it counts as a click on the bar
    MouseArea {
        id: _mouse

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: _status.clicked()
    }
}
