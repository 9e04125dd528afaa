import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15

// Produktiv
// import "qrc:/static/colors.js" as Colors
// import "qrc:/static/NotificationState.js" as NotificationState
// import "qrc:/src/controls" as Controls

// Testing
import "../static/colors.js" as Colors
import "../static/NotificationState.js" as NotificationState
import "./controls" as Controls

// The root of the user interface: the login panel until a login succeeds, then
// the working surface until the user signs out, and the banner above both.
// The session owns the login state; both panels follow it. Views keep their
// contents across logout and login.
Item {
    id: _mainPanel

    // the login state
    readonly property alias session: _session

    // Logs in with the Basic credential of `username` and `password`.
    function startApi(username, password) {
        _session.login(username, password)
    }

    // Revokes the token and, whatever the backend answers, shows the login panel again.
    function stopApi() {
        _session.logout()
    }

    // The banner stands in the window's overlay layer: above everything, also
    // above a popup and the backdrop it dims the window with.
    function _raiseBanner() {
        var overlay = _notification_banner.Overlay.overlay
        _notification_banner.parent = overlay ? overlay : _mainPanel
    }

    Component.onCompleted: {
        _raiseBanner()
        _loginPanel.state = "open"
    }
    Window.onWindowChanged: _raiseBanner()

    Session {
        id: _session

        onFailed: {
            if (kind === "connection")
                _surface.notifier.notifyConnectionProblem()
            else
                _surface.notifier.notify([qsTr("Nicht autorisierter Fehler"),
                                          qsTr("Überprüfen Sie Ihre Zugansgsdaten, Username bzw. Password könnte falsch sein"),
                                          NotificationState.ERROR])
        }
    }

    // every message of the working surface, the login's included, on the one banner
    Connections {
        target: _surface.notifier
        function onNotified(settings, delay) {
            _notification_banner.settings = settings
            if (delay !== undefined)
                _notification_banner.delay = delay
            _notification_banner.run = true
        }
    }

    // only while the working surface is shown: on the login panel it would move
    // the typing into the hidden search field
    Shortcut {
        sequence: "Ctrl+F"
        context: Qt.ApplicationShortcut
        enabled: _surface.visible
        onActivated: _surface.activateSearchBar()
    }

    Rectangle {
        anchors.fill: parent
        color: Colors.c_background
    }

    Controls.NotificationBanner {
        id: _notification_banner

        objectName: "notificationBanner"
        anchors.fill: parent
        z: 11
    }

    LoginPanel {
        id: _loginPanel

        objectName: "loginPanel"
        anchors.centerIn: parent
        width: parent.width
        z: 10
        session: _session
        onLoginButtonClicked: _mainPanel.startApi(username, password)
    }

    WorkingSurface {
        id: _surface

        objectName: "workingSurface"
        anchors.fill: parent
        visible: _session.loggedIn
        session: _session
        onSignOut: {
            console.log("sign outting")
            _mainPanel.stopApi()
        }
    }
}
