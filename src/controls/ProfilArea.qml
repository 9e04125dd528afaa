import QtQuick 2.15
import QtQuick.Controls 2.15

import "../../static"
import "../../static/colors.js" as Colors
import "../../dynamic/variables.js" as Dynamic
import "../api/request.js" as Request
import "../api/service_user.js" as ServiceUser

// Right half of the top bar: two decorative icons, the bell and the profile of
// the logged-in user, whose name is loaded after every login.
Item {
    id: _profilArea

    // the profile (name and sign-out icon)
    readonly property alias profil: _profil
    // runs while the user record is being loaded
    readonly property alias busyIndicator: _busy

    // in: the login succeeded; loads the user record
    signal apiSuccessConnected()
    // out: the user signed out
    signal signOutClient()

    // Loads the logged-in user's record into the profile.
    function getMe() {
        _busy.running = true
        ServiceUser.get_me(Dynamic.getToken(), function (reply) {
            _busy.running = false
            // not inspected further: a reply without the names leaves them undefined
            _profil.surname = Request.isRecord(reply) ? reply.surname : undefined
            _profil.lastname = Request.isRecord(reply) ? reply.lastname : undefined
        })
    }

    onApiSuccessConnected: getMe()

    Row {
        id: _row

        // the closest the items may come
        readonly property real minimumSpacing: 10 * c_Scale
        // the width the items and the three gaps beside the icons may take, a margin kept at the right
        readonly property real room: _profilArea.width - anchors.leftMargin - 20 * c_Scale
                                     - _gear.width - _inbox.width - _bell.width

        anchors.left: parent.left
        anchors.leftMargin: 25 * c_Scale
        anchors.verticalCenter: parent.verticalCenter
        // a seventh and a half of the width, less where a long name would run off the edge
        spacing: Math.max(minimumSpacing, Math.min(_profilArea.width / 7.5, (room - _profil.contentWidth) / 3))

        Text {
            id: _gear

            objectName: "gearIcon"
            anchors.verticalCenter: parent.verticalCenter
            font.family: CustomFonts.names.fontAwesomeRegular
            font.bold: true
            font.pixelSize: 40 * c_Scale
            color: Colors.c_nav_font
            text: "\uf013"
        }
        Text {
            id: _inbox

            objectName: "inboxIcon"
            anchors.verticalCenter: parent.verticalCenter
            font.family: CustomFonts.names.fontAwesomeRegular
            font.bold: true
            font.pixelSize: 40 * c_Scale
            color: Colors.c_nav_font
            text: "\uf01c"
        }
        Notification {
            id: _bell

            anchors.verticalCenter: parent.verticalCenter
            width: 70 * c_Scale
            height: 70 * c_Scale
        }
        Profil {
            id: _profil

            anchors.verticalCenter: parent.verticalCenter
            width: 50 * c_Scale
            height: 50 * c_Scale
            // what is left at the closest spacing; a longer name is cut off with "…"
            nameRoom: Math.max(0, _row.room - 3 * _row.minimumSpacing - iconWidth)
            onSignout: _profilArea.signOutClient()
        }
    }

    BusySpinner {
        id: _busy

        anchors.centerIn: parent
        running: true
    }
}
