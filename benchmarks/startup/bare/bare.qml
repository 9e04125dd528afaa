import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

// The client's first screen without the client: a window of the same size with
// a panel that grows in over 1000 ms, holding two fields, a drop-down, a box
// and a button, in the same style.
ApplicationWindow {
    id: _window

    visible: true
    width: 1632
    height: 918
    color: "#E5E6E8"
    Material.theme: Material.Dark
    Material.accent: Material.Purple

    Rectangle {
        id: _panel

        anchors.centerIn: parent
        width: parent.width
        height: 0
        opacity: 0
        clip: true
        color: "#2D1B3D"

        Component.onCompleted: state = "open"

        states: State {
            name: "open"
            PropertyChanges { target: _panel; height: _window.height; opacity: 1 }
        }
        transitions: Transition {
            SequentialAnimation {
                ScriptAction { script: console.log("login panel opens") }
                NumberAnimation { properties: "height,opacity"; duration: 1000; easing.type: Easing.InOutQuad }
            }
        }

        Column {
            anchors.centerIn: parent
            width: 350
            spacing: 80

            TextField { width: parent.width; placeholderText: "Username" }
            TextField { width: parent.width; placeholderText: "Password"; echoMode: TextInput.Password }
            ComboBox { width: parent.width; model: ["Tarvello", "Brisqa"]; currentIndex: -1 }
            CheckBox { text: "Anmeldedaten Speichern" }
            Button { width: parent.width; highlighted: true; text: "LOGIN" }
        }

        BusyIndicator { anchors.centerIn: parent; running: false }
    }
}
