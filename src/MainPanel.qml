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

        // Base64 of the UTF-8 text "username:password" (HTTP Basic); Qt.btoa of
        // Qt 5.15 encodes the UTF-8 bytes of its argument.
        function basicCredential(username, password) {
            return Qt.btoa(username + ":" + password)
        }

        // Handles the reply of get_token: a login reply, "503", or false. false
        // covers refused credentials and a request that reached no server; the
        // status (0 for the latter) tells them apart, so a dead connection is not
        // reported as wrong credentials.
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
        onLoginButtonClicked: _mainPanel.startApi(username, password)
    }

    Navigation {
        id: _navigation

        objectName: "navigation"
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

        objectName: "snarea"
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

        objectName: "container"
        x: _navigation.width
        y: _snarea.height
        width: parent.width - _navigation.width
        height: parent.height - _snarea.height
        visible: false
        onNavigationRefresh: _navigation.submenuarea.refresh()
    }
}
