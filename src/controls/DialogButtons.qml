import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

// The buttons of a question or confirmation popup: the one that declines
// (plain, when it has a text) and the default action (highlighted, with the
// return key's arrow, so that the user sees what Return does). The popup hands Return and Enter to
// pressReturn(), which presses the button that has the keyboard focus, else
// the default one; Escape is the popup's close policy.
Row {
    id: _buttons

    // the default action's text
    property string acceptText: qsTr("OK")
    // the object name of the default button, for tests
    property string acceptName: "okButton"
    // the declining button's text; empty: there is none
    property string declineText: qsTr("Abbrechen")
    // whether the default action can be taken now
    property bool acceptEnabled: true
    // the colour of the default button
    property int acceptAccent: Material.DeepPurple
    // the buttons' text size
    property real pixelSize: 15 * c_Scale
    // the default button (for a popup that presses it on Return itself)
    readonly property alias acceptButton: _accept

    // the default button was pressed (or Return given to it)
    signal accepted()
    // the declining button was pressed
    signal declined()

    // Return or Enter in the popup
    function pressReturn() {
        if (_decline.visible && _decline.activeFocus)
            declined()
        else if (acceptEnabled)
            accepted()
    }

    spacing: 20 * c_Scale

    Button {
        id: _decline

        objectName: "cancelButton"
        visible: _buttons.declineText !== ""
        flat: true
        text: _buttons.declineText
        font.pixelSize: _buttons.pixelSize
        onClicked: _buttons.declined()
    }
    DefaultButton {
        id: _accept

        objectName: _buttons.acceptName
        Material.accent: _buttons.acceptAccent
        enabled: _buttons.acceptEnabled
        text: _buttons.acceptText
        font.pixelSize: _buttons.pixelSize
        onClicked: _buttons.accepted()
    }
}
