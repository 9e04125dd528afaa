import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../controls"

// A modal question before something that cannot be undone: a title bar, the
// question, and a button that confirms beside "Abbrechen". Return confirms
// (the confirming button is the highlighted one), unless "Abbrechen" has the
// keyboard focus; Escape and "Abbrechen" decline.
Popup {
    id: _popup

    // the title bar's text (shown in capitals)
    property string title: ""
    // the question
    property string text: ""
    // the confirming button's text
    property string confirmText: qsTr("OK")

    // the user confirmed; the popup has closed
    signal accepted()
    // the popup closed without a confirmation
    signal declined()

    property bool _confirmed: false

    width: 600 * c_Scale
    height: 260 * c_Scale
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    // the keyboard goes back where it was when the popup closes
    property FocusReturn _focusReturn: FocusReturn { popup: _popup }
    Material.theme: Material.Dark

    onAboutToShow: _confirmed = false
    onClosed: {
        if (_confirmed)
            accepted()
        else
            declined()
    }

    background: Rectangle {
        color: Colors.c_light_purple
    }

    contentItem: FocusScope {
        focus: true
        Keys.onReturnPressed: _answer.pressReturn()
        Keys.onEnterPressed: _answer.pressReturn()

        Rectangle {
            id: _titleBar

            anchors.left: parent.left
            anchors.right: parent.right
            height: 50 * c_Scale
            color: Colors.c_dark_purple

            Text {
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: 20 * c_Scale
                anchors.verticalCenter: parent.verticalCenter
                text: _popup.title
                textFormat: Text.PlainText
                font.family: CustomFonts.names.nunitoSans
                font.capitalization: Font.AllUppercase
                font.bold: true
                font.pixelSize: 15 * c_Scale
                color: Colors.c_grayish_white
            }
        }

        Text {
            objectName: "question"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: _titleBar.bottom
            anchors.margins: 30 * c_Scale
            wrapMode: Text.WordWrap
            textFormat: Text.PlainText
            text: _popup.text
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 17 * c_Scale
            color: Colors.c_grayish_white
        }

        DialogButtons {
            id: _answer

            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 30 * c_Scale
            acceptText: _popup.confirmText
            acceptName: "confirmButton"
            acceptAccent: Material.Red
            onDeclined: _popup.close()
            onAccepted: {
                _popup._confirmed = true
                _popup.close()
            }
        }
    }
}
