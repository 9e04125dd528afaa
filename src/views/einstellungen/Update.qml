import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import UpdateInstance 1.0

import "../../controls"

// The settings page "Updates": the running version and the button that looks
// for a newer one. The check itself, its questions, the download and the
// installation run in the native update dialogs.
Item {
    id: _update

    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    Updater {
        id: _updater
        objectName: "updater"
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        radius: 10

        ColumnLayout {
            anchors.fill: parent
            anchors.leftMargin: 100 * c_Scale
            anchors.rightMargin: 100 * c_Scale
            anchors.topMargin: 50 * c_Scale
            anchors.bottomMargin: 10 * c_Scale

            ColumnLayout {
                Layout.alignment: Qt.AlignTop

                Label {
                    id: _version
                    objectName: "version"
                    text: "Aktuelle Version: " + c_AppVersion
                }

                RoundButton {
                    id: _manualUpdate
                    objectName: "manualUpdate"
                    NoShadowLayer { target: _manualUpdate.background }
                    text: "Manuel Updaten"
                    highlighted: true
                    font.pixelSize: 20 * c_Scale
                    padding: 30 * c_Scale
                    radius: 20 * c_Scale
                    // the check with its result boxes; the version compared is the one running
                    onClicked: _updater.checkForUpdates(c_AppVersion, false, true, true, true, false)
                }

                Switch {
                    objectName: "autoUpdate"
                    text: qsTr("Auto update (noch nicht fertig implementiert)")
                    enabled: false
                }
            }

            Item {
                Layout.fillHeight: true
            }

            Button {
                id: _bt_importieren
                objectName: "save"
                NoShadowLayer { target: _bt_importieren.background }
                Layout.fillWidth: true
                Layout.preferredHeight: 80
                text: "SPEICHERN"
                highlighted: true
                font.pixelSize: 20
                enabled: false
            }
        }
    }
}
