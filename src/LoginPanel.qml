import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Window 2.15

import "../static"
import "../static/colors.js" as Colors
import "./controls"

// The login form: user name, password, company and the box that remembers them.
// It starts prefilled (user name, company and box from the settings store, the
// password from the desktop's keyring when it comes) and never logs in by
// itself: it asks its host with loginButtonClicked, and follows the session
// (busy while the button's login is outstanding, folded away while logged in).
// States: "open" (full size) and "close" (folded away, then invisible).
// When the backend has ended the session it opens as the renewal: over the
// working surface, which shows through, with the line why, the user name of
// the session fixed, the password to type again, and "Abmelden" to give up.
Rectangle {
    id: _loginPanel

    // the session whose state the panel shows (null: none, the form alone,
    // which then remembers no password: it goes to the keyring on the session's success)
    property var session: null
    // takes the warning when the keyring cannot keep the password (a Notifier)
    property var notifier: null
    // the keyring the password is remembered in (null: the desktop's, a PasswordStore;
    // tests put a stand-in here when they create the panel)
    property QtObject keyring: null
    // runs while a login asked for with the button is outstanding
    readonly property alias busyIndicator: _busy
    // the user-name field
    readonly property alias userField: _user
    // the password field
    readonly property alias passwordField: _password
    // the company choice (index into the company list, -1 for none)
    readonly property alias companyBox: _company
    // the box "Anmeldedaten Speichern"
    readonly property alias rememberBox: _remember
    // the button "LOGIN"
    readonly property alias loginButton: _login
    // "", "user_need" or "pass_need": the field whose icon is marked red
    readonly property alias fieldMark: _fields.state
    // true while it asks to renew the session the backend has ended
    readonly property bool renewing: session !== null && session.expired === true
    // the button "Abmelden" of the renewal
    readonly property alias giveUpButton: _giveUp

    // the user asked to log in
    signal loginButtonClicked(string username, string password)

    // the icon in front of a field
    component FieldIcon: Text {
        anchors.verticalCenter: parent.verticalCenter
        width: 30 * c_Scale
        horizontalAlignment: Text.AlignHCenter
        font.family: CustomFonts.names.fontAwesomeRegular
        font.bold: true
        font.pixelSize: 26 * c_Scale
    }

    // Button "LOGIN": remembers the data when asked to, and logs in with the
    // indicator running. The password goes to the keyring once the session
    // has taken it, so a mistyped one is not kept. Unticked, or for another
    // user, the password kept so far is removed from the keyring.
    function login() {
        _indicateBusy = true
        var memory = _memory()
        var kept = memory.settings()
        if (kept.remembered && (!_remember.checked || kept.user !== _user.text))
            memory.forget(kept.user)
        _pendingPassword = null
        if (_remember.checked) {
            // the password is remembered, but never logged
            console.log("SPEICHERE KONFIG", _user.text, "***", _company.currentIndex, _remember.checked)
            memory.keep(_user.text, _company.currentIndex)
            _pendingPassword = { user: _user.text, password: _password.text }
        } else if (kept.remembered) {
            // the next start opens with the box as the user left it
            memory.untick()
        }
        loginButtonClicked(_user.text, _password.text)
    }

    // Return in a field: logs in (without the indicator) when the other field is
    // filled, else marks the other field.
    function submitFrom(field) {
        _indicateBusy = false
        if (field === _user) {
            if (_password.text !== "")
                loginButtonClicked(_user.text, _password.text)
            else
                _fields.state = "pass_need"
        } else {
            if (_user.text !== "")
                loginButtonClicked(_user.text, _password.text)
            else
                _fields.state = "user_need"
        }
    }

    // The renewal is given up: the session logs out.
    function giveUpRenewal() {
        if (renewing)
            session.endRenewal()
    }

    // opened when the session is out, folded while it is in force
    function _follow() {
        state = session.loggedIn && !session.expired ? "close" : "open"
    }

    // The renewal starts: the session's user, the password typed again (or
    // recalled from the keyring where the user keeps it there). The host
    // moves the keyboard here once it has noted where it was.
    function _startRenewal() {
        var user = session.userName
        _user.text = user
        _password.text = ""
        _passwordTyped = false
        _fields.state = ""
        _memory().recall(user, _remember.checked, function (password) {
            if (!_passwordTyped && renewing)
                _password.text = password
        })
    }

    // whether the login under way was asked for with the button, which shows the indicator
    property bool _indicateBusy: false
    // {user, password} to remember once the button's login succeeds; null: nothing
    property var _pendingPassword: null
    // the user has typed into the password field: a late answer of the keyring leaves it alone
    property bool _passwordTyped: false

    function _rememberPending() {
        if (_pendingPassword)
            _memory().remember(_pendingPassword.user, _pendingPassword.password)
        _pendingPassword = null
    }

    // What the panel remembers between starts (RememberedPassword: user,
    // company, the box, the password in the keyring). Drawing the panel does
    // not need its storage, so it is built after the first frame (prefill()),
    // or at once where it is asked for earlier.
    function _memory() {
        if (!_memoryLoader.item) {
            var properties = { notifier: notifier }
            if (keyring)
                properties.keyring = keyring
            _memoryLoader.setSource("RememberedPassword.qml", properties)
        }
        return _memoryLoader.item
    }

    // Fills the fields with what was remembered, once; not over a name the
    // user was quicker to type.
    function prefill() {
        if (_prefilled)
            return
        _prefilled = true
        if (_user.text !== "")
            return
        var memory = _memory()
        var kept = memory.settings()
        var user = kept.user
        _user.text = user
        _company.currentIndex = kept.company
        _remember.checked = kept.remembered
        memory.recall(user, _remember.checked, function (password) {
            // the answer may come late: what the user typed meanwhile stays
            if (!_passwordTyped && _user.text === user)
                _password.text = password
        })
    }

    property bool _prefilled: false

    height: 0
    opacity: 0
    clip: true
    // the renewal lets the working surface show through
    color: renewing ? "transparent" : Colors.c_darker_purple

    Material.theme: Material.Dark
    Material.accent: Material.DeepPurple

    Connections {
        target: _loginPanel.session
        function onLoggedInChanged() {
            _loginPanel._follow()
        }
        function onExpiredChanged() {
            _loginPanel._follow()
            if (_loginPanel.session.expired)
                _loginPanel._startRenewal()
        }
        function onSucceeded() {
            _loginPanel._rememberPending()
        }
        function onRenewed() {
            _loginPanel._rememberPending()
        }
        function onFailed() {
            _loginPanel._pendingPassword = null
        }
    }

    Loader {
        id: _memoryLoader
    }

    // the first frame is drawn: now the remembered data
    Connections {
        target: _loginPanel._prefilled ? null : _loginPanel.Window.window
        function onAfterAnimating() {
            Qt.callLater(_loginPanel.prefill)
        }
    }

    // without a window no frame comes: at once
    Component.onCompleted: {
        if (!Window.window)
            prefill()
    }

    states: [
        State {
            name: "open"
            PropertyChanges { target: _loginPanel; height: _loginPanel.parent ? _loginPanel.parent.height : 0; opacity: 1 }
        },
        State {
            name: "close"
            PropertyChanges { target: _loginPanel; height: 0; opacity: 0 }
        },
        // looks like "close"; nothing enters it
        State {
            name: "error"
            PropertyChanges { target: _loginPanel; height: 0; opacity: 0 }
        }
    ]
    transitions: Transition {
        SequentialAnimation {
            // shown while it opens, so the user sees it grow
            ScriptAction {
                script: {
                    if (_loginPanel.state === "open") {
                        // the start-up benchmark times the window up to this line
                        console.log("login panel opens")
                        _loginPanel.visible = true
                    }
                }
            }
            NumberAnimation { properties: "height,opacity"; duration: 1000; easing.type: Easing.InOutQuad }
            ScriptAction { script: _loginPanel.visible = _loginPanel.state === "open" }
        }
    }

    MouseArea {
        // keeps clicks from reaching the surface below
        anchors.fill: parent
    }

    // the surface below, dimmed, and a card under the form
    Rectangle {
        anchors.fill: parent
        visible: _loginPanel.renewing
        color: Colors.c_darker_purple
        opacity: 0.6
    }
    Rectangle {
        anchors.fill: _fields
        anchors.margins: -40 * c_Scale
        anchors.topMargin: -60 * c_Scale - _expiredLine.height
        anchors.bottomMargin: -50 * c_Scale - _giveUp.height
        visible: _loginPanel.renewing
        radius: 6 * c_Scale
        color: Colors.c_darker_purple
    }

    Text {
        id: _expiredLine

        objectName: "expiredLine"
        anchors.bottom: _fields.top
        anchors.bottomMargin: 30 * c_Scale
        anchors.horizontalCenter: _fields.horizontalCenter
        width: _fields.width
        visible: _loginPanel.renewing
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        text: qsTr("Sitzung abgelaufen – bitte erneut anmelden")
        color: Colors.c_grayish_white
        font.family: CustomFonts.names.nunitoSans
        font.bold: true
        font.pixelSize: 20 * c_Scale
    }

    Column {
        id: _fields

        anchors.centerIn: parent
        width: 350 * c_Scale
        spacing: 80 * c_Scale

        states: [
            State { name: "user_need"; PropertyChanges { target: _userIcon; color: Colors.c_dark_red } },
            State { name: "pass_need"; PropertyChanges { target: _passwordIcon; color: Colors.c_dark_red } }
        ]

        Row {
            width: parent.width
            spacing: 15 * c_Scale

            FieldIcon { id: _userIcon; objectName: "userIcon"; text: "\uf007"; color: Colors.c_grayish_white }
            TextField {
                id: _user

                objectName: "userField"
                width: parent.width - _userIcon.width - parent.spacing
                placeholderText: qsTr("Username")
                Accessible.name: placeholderText
                // the first thing to type at start
                focus: true
                selectByMouse: true
                // a renewal is for the session's own user
                readOnly: _loginPanel.renewing
                onAccepted: _loginPanel.submitFrom(_user)
            }
        }

        Row {
            width: parent.width
            spacing: 15 * c_Scale

            FieldIcon { id: _passwordIcon; objectName: "passwordIcon"; text: "\uf023"; color: Colors.c_grayish_white }
            TextField {
                id: _password

                objectName: "passwordField"
                width: parent.width - _passwordIcon.width - parent.spacing
                placeholderText: qsTr("Password")
                Accessible.name: placeholderText
                echoMode: TextInput.Password
                selectByMouse: true
                onAccepted: _loginPanel.submitFrom(_password)
                onTextEdited: _loginPanel._passwordTyped = true
            }
        }

        ComboBox {
            id: _company

            objectName: "companyBox"
            NoShadowLayer { target: _company.popup.background }
            width: parent.width
            model: ["Tarvello", "Brisqa"]
            currentIndex: -1
            Accessible.name: qsTr("Firma")
            displayText: currentIndex < 0 ? "" : currentText
            font.family: CustomFonts.names.montserrat
            Material.theme: c_OsType === "macos" ? Material.Dark : Material.Light
            Material.background: "#444"
            Material.foreground: "#ddd"
            // the open list in the box's font too
            delegate: ComboRow {
                box: _company
                label: modelData
                highlighted: _company.highlightedIndex === index
            }
            background: Rectangle {
                implicitWidth: 120
                implicitHeight: 40 * c_Scale
                radius: 2
                color: "#444"
            }
        }

        CheckBox {
            id: _remember

            objectName: "rememberBox"
            text: qsTr("Anmeldedaten Speichern")
        }

        Button {
            id: _login

            objectName: "loginButton"
            NoShadowLayer { target: _login.background }
            width: parent.width
            highlighted: true
            text: qsTr("LOGIN")
            font.family: CustomFonts.names.montserrat
            onClicked: _loginPanel.login()
        }

        Keys.onEscapePressed: _loginPanel.giveUpRenewal()
    }

    Button {
        id: _giveUp

        objectName: "giveUpButton"
        anchors.top: _fields.bottom
        anchors.topMargin: 20 * c_Scale
        anchors.horizontalCenter: _fields.horizontalCenter
        width: _fields.width
        visible: _loginPanel.renewing
        flat: true
        text: qsTr("Abmelden")
        font.family: CustomFonts.names.montserrat
        onClicked: _loginPanel.giveUpRenewal()
    }

    BusySpinner {
        id: _busy

        objectName: "loginBusy"
        anchors.centerIn: parent
        scale: 1.3 * c_Scale
        running: _loginPanel._indicateBusy && _loginPanel.session !== null && _loginPanel.session.busy
    }
}
