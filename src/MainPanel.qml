import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import FontFaces 1.0

import "../static/colors.js" as Colors
import "../static/NotificationState.js" as NotificationState
import "./controls" as Controls

// The root of the user interface: the login panel until a login succeeds, then
// the working surface until the user signs out, and the banner above both.
// The session owns the login state; both panels follow it. Views keep their
// contents across logout and login. When the backend ends the session the
// login panel opens over the working surface, above its popups too, and the
// keyboard goes back where it was once the session is renewed.
// The first frame shows the login panel alone. Right after it the remaining
// typefaces are registered and the working surface (navigation, top bar,
// container and every view) is built in the background, a slice per frame,
// so the login panel keeps taking input; a login that succeeds before the
// surface stands finishes building it at once. The surface then lives for the
// whole run.
Item {
    id: _mainPanel

    // the login state
    readonly property alias session: _session
    // the working surface; null until it is built
    readonly property var surface: _surfaceLoader.item
    // true once the working surface is built
    readonly property bool surfaceReady: _surfaceLoader.status === Loader.Ready

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

    // Starts building the working surface in the background (once), its faces registered first.
    function buildSurface() {
        if (_surfaceLoader.active)
            return
        FontFaces.registerDrawn()
        _surfaceLoader.setSource("WorkingSurface.qml", {
            objectName: "workingSurface",
            visible: _session.loggedIn,
            session: _session,
            notifier: _notifier
        })
        _surfaceLoader.active = true
    }

    // Builds the working surface now, if it does not stand yet.
    function completeSurface() {
        // a build still under way in the background (its documents loading,
        // or its objects) starts over at once: only the incubation would
        // otherwise finish on the spot, not the loading
        if (_surfaceLoader.status === Loader.Loading)
            _surfaceLoader.active = false
        _surfaceLoader.asynchronous = false
        buildSurface()
    }

    Component.onCompleted: {
        _raiseBanner()
        _loginPanel.state = "open"
        // without a window no frame comes: build at once
        if (!Window.window)
            completeSurface()
    }
    Window.onWindowChanged: _raiseBanner()

    // the first frame has been prepared: the rest waits until it is out
    Connections {
        target: _surfaceLoader.active ? null : _mainPanel.Window.window
        function onAfterAnimating() {
            Qt.callLater(_mainPanel.buildSurface)
        }
    }

    Notifier {
        id: _notifier
    }

    // Above every popup of the surface while the session is renewed: a modal
    // layer of its own, which the login panel moves into and out of again.
    Popup {
        id: _renewalLayer

        objectName: "renewalLayer"
        parent: _mainPanel
        x: 0
        y: 0
        width: _mainPanel.width
        height: _mainPanel.height
        z: 10
        padding: 0
        modal: true
        dim: false
        focus: true
        closePolicy: Popup.NoAutoClose
        background: null
        enter: null
        exit: null

        // the item that had the keyboard when the session ended
        property Item _focusBefore: null

        // the closed layer hands the keyboard on: back where it was, once renewed
        onClosed: {
            if (_session.loggedIn && _focusBefore)
                _focusBefore.forceActiveFocus()
            _focusBefore = null
        }
    }

    Connections {
        target: _session
        function onExpiredChanged() {
            var window = _mainPanel.Window.window
            if (_session.expired) {
                _renewalLayer._focusBefore = window ? window.activeFocusItem : null
                _loginPanel.parent = _renewalLayer.contentItem
                _renewalLayer.open()
                _loginPanel.passwordField.forceActiveFocus()
                return
            }
            // given up: the plain login stays above what the surface left open
            if (_session.loggedIn)
                _mainPanel._leaveRenewalLayer()
        }
        function onLoggedInChanged() {
            if (_session.loggedIn)
                _mainPanel._leaveRenewalLayer()
        }
    }

    function _leaveRenewalLayer() {
        if (!_renewalLayer.opened)
            return
        _loginPanel.parent = _mainPanel
        _renewalLayer.close()
    }

    Session {
        id: _session

        onFailed: {
            if (kind === "connection")
                _notifier.notifyConnectionProblem()
            else
                _notifier.notify([qsTr("Nicht autorisierter Fehler"),
                                          qsTr("Überprüfen Sie Ihre Zugansgsdaten, Username bzw. Password könnte falsch sein"),
                                          NotificationState.ERROR])
        }
    }

    // every message of the working surface, the login's included, on the one banner
    Connections {
        target: _notifier
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
        enabled: _mainPanel.surface !== null && _mainPanel.surface.visible && !_session.expired
        onActivated: _mainPanel.surface.activateSearchBar()
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
        notifier: _notifier
        onLoginButtonClicked: _mainPanel.startApi(username, password)
    }

    // a login that succeeds before the surface stands waits for it to be completed
    Connections {
        target: _session
        function onLoggedInChanged() {
            if (_session.loggedIn)
                _mainPanel.completeSurface()
        }
    }

    // The surface is named by its file (buildSurface()), not written inline:
    // an inline component makes the engine load every document of every view
    // before the login panel's first frame; by file it loads them when built.
    Loader {
        id: _surfaceLoader

        objectName: "workingSurfaceLoader"
        anchors.fill: parent
        active: false
        asynchronous: true

        onLoaded: {
            item.visible = Qt.binding(function () { return _session.loggedIn })
            Qt.callLater(FontFaces.registerUndrawn)
        }
    }

    Connections {
        target: _surfaceLoader.item
        function onSignOut() {
            console.log("sign outting")
            _mainPanel.stopApi()
        }
    }
}
