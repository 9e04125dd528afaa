import QtQuick 2.15

// Produktiv
// import "qrc:/static/colors.js" as Colors
// import "qrc:/static/NotificationState.js" as NotificationState
// import "qrc:/dynamic/variables.js" as Dynamic
// import "qrc:/src/api/authentication.js" as ServiceAuthentication
// import "qrc:/src/controls" as Controls

// Testing
import "../static/colors.js" as Colors
import "../static/NotificationState.js" as NotificationState
import "../dynamic/variables.js" as Dynamic
import "./api/authentication.js" as ServiceAuthentication
import "./controls" as Controls

// The root of the user interface: the login panel until a login succeeds, then
// the working surface (navigation, top bar, view container) until the user
// signs out. Views keep their contents across logout and login.
Item {
    id: _mainPanel

    // Logs in with the Basic credential of `username` and `password`.
    function startApi(username, password) {
        ServiceAuthentication.get_token(_private.basicCredential(username, password), _private.loginReplied)
    }

    // Revokes the token and, whatever the backend answers, shows the login panel again.
    function stopApi() {
        ServiceAuthentication.revoke_token(Dynamic.getToken(), function (status) {
            _private.showWorkingSurface(false)
            _loginPanel.state = "open"
        })
    }

    Component.onCompleted: _loginPanel.state = "open"

    QtObject {
        id: _private

        // Base64 of the UTF-8 text "username:password" (HTTP Basic).
        function basicCredential(username, password) {
            return Qt.btoa(utf8Bytes(username + ":" + password))
        }

        // `text` as a string of one character per UTF-8 byte, the form Qt.btoa encodes.
        function utf8Bytes(text) {
            var bytes = ""
            for (var i = 0; i < text.length; ++i) {
                var code = text.charCodeAt(i)
                if (code >= 0xd800 && code < 0xdc00 && i + 1 < text.length) {
                    var low = text.charCodeAt(i + 1)
                    if (low >= 0xdc00 && low < 0xe000) {
                        code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00)
                        ++i
                    }
                }
                if (code < 0x80) {
                    bytes += String.fromCharCode(code)
                } else if (code < 0x800) {
                    bytes += String.fromCharCode(0xc0 | (code >> 6), 0x80 | (code & 0x3f))
                } else if (code < 0x10000) {
                    bytes += String.fromCharCode(0xe0 | (code >> 12), 0x80 | ((code >> 6) & 0x3f),
                                                 0x80 | (code & 0x3f))
                } else {
                    bytes += String.fromCharCode(0xf0 | (code >> 18), 0x80 | ((code >> 12) & 0x3f),
                                                 0x80 | ((code >> 6) & 0x3f), 0x80 | (code & 0x3f))
                }
            }
            return bytes
        }

        // Handles the reply of get_token: a login reply, "503", or a failure.
        // `status`, when the service hands it, tells a dead connection (0) from a refusal.
        function loginReplied(reply, status) {
            _loginPanel.busyIndicator.running = false
            if (reply && typeof reply === "object" && typeof reply.token === "string") {
                Dynamic.setToken(reply.token)
                _loginPanel.state = "close"
                showWorkingSurface(true)
                _container.changeContainerIndex(_container._curSubViewIndex)
            } else if (reply === "503" || status === 0) {
                notify(["Internet oder API Verbindung",
                        "Überprüfen Sie Ihre Internetverbindung oder kontaktieren Sie den \"Master of Disaster\" für eventuelle API Probleme",
                        NotificationState.ERROR], 7000)
            } else {
                notify(["Nicht autorisierter Fehler",
                        "Überprüfen Sie Ihre Zugansgsdaten, Username bzw. Password könnte falsch sein",
                        NotificationState.ERROR])
            }
        }

        // Shows `settings` on the banner; `delay` is kept by the banner when given.
        function notify(settings, delay) {
            _notification_banner.settings = settings
            if (delay !== undefined)
                _notification_banner.delay = delay
            _notification_banner.run = true
        }

        function showWorkingSurface(shown) {
            _navigation.visible = shown
            _snarea.visible = shown
            _container.visible = shown
        }
    }

    Shortcut {
        sequence: "Ctrl+F"
        context: Qt.ApplicationShortcut
        onActivated: _snarea.activateSearchBar()
    }

    Rectangle {
        anchors.fill: parent
        color: Colors.c_background
    }

    Controls.NotificationBanner {
        id: _notification_banner

        anchors.fill: parent
        z: 11
    }

    LoginPanel {
        id: _loginPanel

        anchors.centerIn: parent
        width: parent.width
        z: 10
        onLoginButtonClicked: _mainPanel.startApi(username, password)
    }

    Navigation {
        id: _navigation

        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        visible: false
        onNavigationChanged: _container.changeView(index)
        onSubitemChanged: _container.changeContainerIndex(index)
        onNotificationRequested: _private.notify(settings)
    }

    SearchNotificationArea {
        id: _snarea

        anchors.left: _navigation.right
        anchors.right: parent.right
        anchors.top: parent.top
        // above the container, so its shadow falls on the views
        z: 1
        visible: false
        onSearchArea: _container.searchKeyword(keyword, livesearch)
        onSignOut: {
            console.log("sign outting")
            _mainPanel.stopApi()
        }
    }

    ViewContainer {
        id: _container

        x: _navigation.width
        y: _snarea.height
        width: parent.width - _navigation.width
        height: parent.height - _snarea.height
        visible: false
        onNavigationRefresh: _navigation.submenuarea.refresh()
    }
}
