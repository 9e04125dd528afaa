import QtQuick 2.15
import QtQuick.Layouts 1.15

import "../../static/colors.js" as Colors
import "../../static"

// A question over its view before a step the user should think about: a
// title, the question, and two buttons. Return presses the default button
// (it shows the return key), Escape or the other button decline.
ViewPopup {
    id: _question

    // the title above the question
    property string title: ""
    // the question
    property string text: ""
    // the text of the default button, which does the step
    property string acceptText: qsTr("OK")
    // the text of the button that declines
    property string declineText: qsTr("Abbrechen")

    // the user chose the step; the popup closes
    signal accepted()
    // the popup closed without the step
    signal declined()

    property bool _accepted: false

    backdropColor: "#cfd8dc"
    panelWidth: Math.min(640 * c_Scale, width - 2 * panelPadding)
    scrollHeight: 0
    defaultButton: _buttons.acceptButton

    onAboutToShow: _accepted = false
    // the keyboard goes back where it was when the question closes
    property FocusReturn _focusReturn: FocusReturn { popup: _question }
    onClosed: {
        if (!_accepted)
            declined()
    }

    ColumnLayout {
        width: parent.width
        spacing: 20 * c_Scale

        Text {
            objectName: "title"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            font.family: CustomFonts.names.montserrat
            font.pixelSize: 30 * c_Scale
            color: Colors.c_nav_font
            text: _question.title
        }

        Text {
            objectName: "question"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 18 * c_Scale
            color: Colors.c_form_font
            text: _question.text
        }

        DialogButtons {
            id: _buttons

            Layout.alignment: Qt.AlignRight
            acceptName: "acceptButton"
            acceptText: _question.acceptText
            declineText: _question.declineText
            onAccepted: {
                _question._accepted = true
                _question.close()
                _question.accepted()
            }
            onDeclined: _question.close()
        }
    }
}
