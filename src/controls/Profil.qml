import QtQuick 2.15

import "../../static"
import "../../static/colors.js" as Colors

// The logged-in user's name beside the sign-out icon. A click on the icon
// plays a short nudge and signs out when it is over.
Item {
    id: _profil

    // base font size of the two name lines
    property real nameFontSize: 30 * c_Scale
    // first line (shown in capitals)
    property var surname: "--"
    // second line (shown in capitals)
    property var lastname: "--"
    // the widest the names may be; a longer name ends in "…" (-1: no limit)
    property real nameRoom: -1

    // width of icon and names together (they reach beyond the item's own width)
    readonly property real contentWidth: _content.width
    // width of the sign-out icon and the gap after it
    readonly property real iconWidth: _signoutIcon.width + _content.spacing

    // the user asked to sign out (after the icon's movement)
    signal signout()

    width: 50 * c_Scale
    height: 50 * c_Scale

    Row {
        id: _content

        anchors.verticalCenter: parent.verticalCenter
        spacing: 10 * c_Scale

        Text {
            id: _signoutIcon

            objectName: "signoutIcon"
            anchors.verticalCenter: parent.verticalCenter
            font.family: CustomFonts.names.fontAwesomeRegular
            font.bold: true
            font.pixelSize: 40 * c_Scale
            color: Colors.c_light_purple
            text: "\uf2f5"
            transform: Translate { id: _nudge }
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Abmelden")
            Accessible.onPressAction: if (!_movement.running) _movement.start()
            Keys.onReturnPressed: if (!_movement.running) _movement.start()
            Keys.onEnterPressed: if (!_movement.running) _movement.start()
            Keys.onSpacePressed: if (!_movement.running) _movement.start()

            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                // one sign-out per movement
                onClicked: if (!_movement.running) _movement.start()
            }

            SequentialAnimation {
                id: _movement

                NumberAnimation { target: _nudge; property: "x"; to: 10; duration: 200; easing.type: Easing.InOutQuad }
                NumberAnimation { target: _nudge; property: "x"; to: 1; duration: 500; easing.type: Easing.InOutQuad }
                ScriptAction { script: _profil.signout() }
            }
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter

            Text {
                objectName: "surname"
                width: _profil.nameRoom >= 0 ? Math.min(implicitWidth, _profil.nameRoom) : implicitWidth
                elide: Text.ElideRight
                // the user's own data: never read as markup
                textFormat: Text.PlainText
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: _profil.nameFontSize / 1.9
                font.capitalization: Font.AllUppercase
                color: Colors.c_nav_font
                text: _profil.surname !== undefined && _profil.surname !== null ? _profil.surname : ""
            }
            Text {
                objectName: "lastname"
                width: _profil.nameRoom >= 0 ? Math.min(implicitWidth, _profil.nameRoom) : implicitWidth
                elide: Text.ElideRight
                textFormat: Text.PlainText
                font.family: CustomFonts.names.nunitoSans
                font.bold: true
                font.pixelSize: _profil.nameFontSize / 1.5
                font.capitalization: Font.AllUppercase
                color: Colors.c_nav_font
                text: _profil.lastname !== undefined && _profil.lastname !== null ? _profil.lastname : ""
            }
        }
    }
}
