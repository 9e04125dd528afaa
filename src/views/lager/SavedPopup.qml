import QtQuick 2.15
import QtQuick.Controls 2.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../controls"

// The small modal confirmation of the warehouse forms: a title bar, one line
// and "OK". It closes on Return, Escape, "OK" and on a press or release
// outside it; opening it while it is open changes nothing.
Popup {
    id: _popup

    // the title bar's text (shown in capitals)
    property string title: qsTr("Artikelbestand gespeichert")
    // the line below it
    property string text: qsTr("Artikelbestand wurde erfolgreich gespeichert")

    width: 300
    height: 100
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside | Popup.CloseOnReleaseOutside

    background: Rectangle {
        color: "white"
    }

    contentItem: FocusScope {
        focus: true
        Keys.onReturnPressed: _ok.pressReturn()
        Keys.onEnterPressed: _ok.pressReturn()

        Rectangle {
            id: _titleBar

            width: parent.width
            height: 35
            color: Colors.c_dark_purple

            Text {
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: 15
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                elide: Text.ElideRight
                text: _popup.title
                font.family: CustomFonts.names.nunitoSans
                font.bold: true
                font.capitalization: Font.AllUppercase
                font.pixelSize: 14
                color: Colors.c_grayish_white
            }
        }

        Text {
            id: _text

            objectName: "text"
            anchors.left: parent.left
            anchors.right: _ok.left
            anchors.top: _titleBar.bottom
            anchors.bottom: parent.bottom
            anchors.margins: 10
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.WordWrap
            text: _popup.text
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 14
            color: Colors.c_dark_purple
        }

        DialogButtons {
            id: _ok

            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: _text.verticalCenter
            declineText: ""
            pixelSize: 14
            onAccepted: _popup.close()
        }
    }
}
