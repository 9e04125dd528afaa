import QtQuick 2.15
import QtQuick.LocalStorage 2.12
import QtQuick.Window 2.15
import QtTest 1.15
import PasswordStore 1.0

import "../../src"
import "../../static"
import "../../static/ConfigStorage.js" as ConfigStorage
import "../../static/NotificationState.js" as NotificationState

// The login form on its own: prefilling from the settings store and the
// keyring, what is remembered where, and Return in the fields. The form only
// asks; it never logs in. This process has no session bus: the real keyring is
// unreachable, and a stand-in answers where a case needs a keyring.
TestCase {
    id: _case
    name: "LoginPanel"
    when: windowShown
    visible: true
    width: 1224
    height: 765

    // a panel on the real keyring, unless a case hands it a stand-in
    Component {
        id: _panelComponent
        Item {
            property alias panel: _panel
            property QtObject keyring: PasswordStore {}
            property QtObject session: null
            width: _case.width
            height: _case.height
            LoginPanel {
                id: _panel
                anchors.centerIn: parent
                width: parent.width
                notifier: _notifier
                keyring: parent.keyring
                session: parent.session
            }
        }
    }

    // a keyring that keeps its requests ("verb user[ password]") and their answers for the case
    Component {
        id: _keyringComponent
        QtObject {
            property var requests: []
            property var answers: []
            function read(user, answer) { requests.push("read " + user); answers.push(answer) }
            function store(user, password, answer) { requests.push("store " + user + " " + password); answers.push(answer) }
            function remove(user, answer) { requests.push("remove " + user); answers.push(answer) }
        }
    }

    Component {
        id: _sessionComponent
        QtObject {
            property bool loggedIn: false
            property bool busy: false
            signal succeeded()
            signal failed(string kind)
        }
    }

    Notifier { id: _notifier }
    SignalSpy { id: _loginSpy; signalName: "loginButtonClicked" }
    SignalSpy { id: _notifiedSpy; target: _notifier; signalName: "notified" }

    function init() {
        // every case starts without remembered data
        ConfigStorage.getDatabase().transaction(function (tx) {
            tx.executeSql("CREATE TABLE IF NOT EXISTS settings(setting TEXT UNIQUE, value TEXT)")
            tx.executeSql("DELETE FROM settings")
        })
        _loginSpy.clear()
        _notifiedSpy.clear()
        testServer.clearRecords()
    }

    // `standIns`: {keyring, session} in place of the real ones
    function createPanel(standIns) {
        var panel = createTemporaryObject(_panelComponent, _case, standIns || {}).panel
        _loginSpy.target = panel
        panel.state = "open"
        tryCompare(panel, "height", _case.height, 2000)
        return panel
    }

    function standIns() {
        return { keyring: createTemporaryObject(_keyringComponent, _case),
                 session: createTemporaryObject(_sessionComponent, _case) }
    }

    // the texts of the warnings the panel raised
    function warnings() {
        return _notifiedSpy.signalArguments.map(function (args) {
            compare([args[0][0], args[0][2]], ["Passwort nicht gespeichert", NotificationState.WARNING])
            return args[0][1]
        })
    }

    function remember(user, company) {
        ConfigStorage.set(ConfigStorage.username, user)
        ConfigStorage.set(ConfigStorage.company, company)
        ConfigStorage.set(ConfigStorage.autologin, true)
    }

    function tokenRequests() {
        return testServer.records().filter(function (r) { return r.path === "/tokens" })
    }

    // Relative luminance of a colour (as the contrast of text on a background is measured).
    function luminance(c) {
        var channel = function (v) { return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4) }
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b)
    }

    function saveGrab(item, fileName) {
        var saved = false
        item.grabToImage(function (result) { saved = result.saveToFile(screenshotDirectory + "/" + fileName) })
        tryVerify(function () { return saved }, 5000, fileName)
    }

    function test_emptyWithoutRememberedData() {
        var panel = createPanel()
        compare(panel.userField.text, "")
        compare(panel.passwordField.text, "")
        compare(panel.companyBox.currentIndex, -1)
        compare(panel.rememberBox.checked, false)
        compare(panel.companyBox.model, ["Tarvello", "Brisqa"])
        verify(!panel.busyIndicator.running)
    }

    function test_prefilledFromRememberedDataWithoutLoggingIn() {
        remember("demo", 1)
        var fakes = standIns()
        var panel = createPanel(fakes)
        compare(fakes.keyring.requests, ["read demo"])
        fakes.keyring.answers[0](PasswordStore.Ok, "vendrix-demo")
        compare(panel.userField.text, "demo")
        compare(panel.passwordField.text, "vendrix-demo")
        compare(panel.companyBox.currentIndex, 1)
        compare(panel.companyBox.displayText, "Brisqa")
        compare(panel.rememberBox.checked, true)
        wait(300)
        compare(_loginSpy.count, 0)
        compare(tokenRequests().length, 0)
        saveGrab(panel, "login-panel.png")
    }

    // The remembered data comes after the panel's first frame: a name typed
    // before it stays, and no password is looked up for another user.
    function test_quickerTypingIsNotOverwritten() {
        remember("demo", 1)
        var fakes = standIns()
        var panel = createTemporaryObject(_panelComponent, _case, fakes).panel
        panel.userField.text = "anna"
        panel.state = "open"
        tryCompare(panel, "height", _case.height, 2000)
        compare(panel.userField.text, "anna")
        compare(fakes.keyring.requests, [])
    }

    function test_returnWithoutPasswordMarksThePassword() {
        var panel = createPanel()
        mouseClick(panel.userField)
        keyClick("d")
        keyClick(Qt.Key_Return)
        compare(panel.fieldMark, "pass_need")
        compare(String(findChild(panel, "passwordIcon").color), "#c72444")
        compare(String(findChild(panel, "userIcon").color), "#f7f7f7")
        compare(_loginSpy.count, 0)
        verify(!panel.busyIndicator.running)
        // the other field's Return replaces the mark
        mouseClick(panel.userField)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_Delete)
        mouseClick(panel.passwordField)
        keyClick("x")
        keyClick(Qt.Key_Enter)
        compare(panel.fieldMark, "user_need")
        compare(String(findChild(panel, "userIcon").color), "#c72444")
        compare(String(findChild(panel, "passwordIcon").color), "#f7f7f7")
        compare(_loginSpy.count, 0)
        wait(200)
        compare(tokenRequests().length, 0)
    }

    function test_returnWithBothFieldsAsksForLoginWithoutRemembering() {
        var panel = createPanel()
        panel.rememberBox.checked = true
        mouseClick(panel.userField)
        keyClick("u")
        mouseClick(panel.passwordField)
        keyClick("p")
        keyClick(Qt.Key_Return)
        compare(_loginSpy.count, 1)
        compare(_loginSpy.signalArguments[0][0], "u")
        compare(_loginSpy.signalArguments[0][1], "p")
        verify(!panel.busyIndicator.running)
        compare(ConfigStorage.get(ConfigStorage.username, "none"), "none")
    }

    function test_companyListInThePanelsFont() {
        var panel = createPanel()
        mouseClick(panel.companyBox)
        tryVerify(function () { return panel.companyBox.popup.opened })
        for (var i = 0; i < 2; ++i)
            compare(panel.companyBox.popup.contentItem.itemAtIndex(i).font.family, CustomFonts.names.montserrat)
        // readable rows, whichever theme the system's tag gives the list
        var background = panel.companyBox.popup.background.color
        var row = panel.companyBox.popup.contentItem.itemAtIndex(0).contentItem
        var contrast = (luminance(background) + 0.05) / (luminance(row.color) + 0.05)
        verify(contrast >= 4.5 || contrast <= 1 / 4.5, "rows " + row.color + " on " + background)
        wait(300)
        var saved = false
        _case.Window.window.contentItem.grabToImage(function (result) {
            saved = result.saveToFile(screenshotDirectory + "/login-firmenliste.png")
        })
        tryVerify(function () { return saved })
        keyClick(Qt.Key_Escape)
    }

    // the software scene graph cannot draw the style's elevation shadows: no
    // layer there (each would hold images for nothing); OpenGL keeps them
    function test_shadowLayersFollowTheSceneGraph_data() {
        return [
            { tag: "login button", item: function (panel) { return panel.loginButton.background } },
            { tag: "company list", item: function (panel) { return panel.companyBox.popup.background } }
        ]
    }

    function test_shadowLayersFollowTheSceneGraph(data) {
        var panel = createPanel()
        compare(data.item(panel).layer.enabled, !c_SoftwareScene)
    }

    function test_loginButtonRemembersOnlyWhenTicked() {
        ConfigStorage.set(ConfigStorage.username, "earlier")
        var fakes = standIns()
        var panel = createPanel(fakes)
        panel.userField.text = "anna"
        panel.passwordField.text = "geheim"
        panel.companyBox.currentIndex = 0
        mouseClick(panel.loginButton)
        compare(_loginSpy.count, 1)
        fakes.session.succeeded()
        // unticked: nothing written and nothing removed
        compare(ConfigStorage.get(ConfigStorage.username, "none"), "earlier")
        compare(ConfigStorage.get(ConfigStorage.password, "none"), "none")
        compare(fakes.keyring.requests, [])

        mouseClick(panel.rememberBox)
        verify(panel.rememberBox.checked)
        mouseClick(panel.loginButton)
        compare(_loginSpy.count, 2)
        compare(_loginSpy.signalArguments[1][0], "anna")
        compare(_loginSpy.signalArguments[1][1], "geheim")
        compare(ConfigStorage.get(ConfigStorage.username, "none"), "anna")
        compare(ConfigStorage.get(ConfigStorage.company, "none"), "0")
        compare(ConfigStorage.get(ConfigStorage.autologin, "none"), "1")
        // the password goes to the keyring, and only once the login has succeeded
        compare(fakes.keyring.requests, [])
        fakes.session.succeeded()
        compare(fakes.keyring.requests, ["store anna geheim"])
        compare(ConfigStorage.get(ConfigStorage.password, "none"), "none")
        // a refused login keeps nothing
        panel.passwordField.text = "vertippt"
        mouseClick(panel.loginButton)
        fakes.session.failed("credentials")
        fakes.session.succeeded()
        compare(fakes.keyring.requests.length, 1)
        // the form itself sends nothing
        compare(tokenRequests().length, 0)
    }

    // The keyring answers when it answers: what the user did meanwhile stays.
    function test_lateKeyringAnswer_data() {
        return [
            { tag: "found", expected: "aus-dem-schluesselbund" },
            { tag: "password typed meanwhile", typed: "getippt", expected: "getippt" },
            { tag: "user name changed meanwhile", user: "bernd", expected: "" }
        ]
    }

    function test_lateKeyringAnswer(data) {
        remember("anna", 0)
        var fakes = standIns()
        var panel = createPanel(fakes)
        compare(fakes.keyring.requests, ["read anna"])
        mouseClick(panel.passwordField)
        for (var i = 0; data.typed && i < data.typed.length; ++i)
            keyClick(data.typed[i])
        if (data.user)
            panel.userField.text = data.user
        fakes.keyring.answers[0](PasswordStore.Ok, "aus-dem-schluesselbund")
        compare(panel.passwordField.text, data.expected)
    }

    // Unticked after a remembered login, or another user: the password kept so
    // far leaves the keyring. Who never ticked the box never meets the keyring.
    function test_forgottenWhenUntickedOrAnotherUser_data() {
        return [
            { tag: "unticked", remembered: true, user: "anna", tick: false, expected: ["remove anna"], flag: "0" },
            { tag: "another user", remembered: true, user: "bernd", tick: true,
              expected: ["remove anna", "store bernd pw"], flag: "1" },
            { tag: "never remembered", remembered: false, user: "anna", tick: false, expected: [], flag: "none" }
        ]
    }

    function test_forgottenWhenUntickedOrAnotherUser(data) {
        ConfigStorage.set(ConfigStorage.username, "anna")
        if (data.remembered)
            remember("anna", 0)
        var fakes = standIns()
        var panel = createPanel(fakes)
        fakes.keyring.requests = []
        panel.rememberBox.checked = data.tick
        panel.userField.text = data.user
        panel.passwordField.text = "pw"
        mouseClick(panel.loginButton)
        fakes.session.succeeded()
        compare(fakes.keyring.requests, data.expected)
        compare(ConfigStorage.get(ConfigStorage.autologin, "none"), data.flag)
        compare(ConfigStorage.get(ConfigStorage.username, "none"), data.user === "bernd" ? "bernd" : "anna")
    }

    // A password an earlier version kept in the settings store is there at
    // once, moves to the keyring and leaves the settings store, whatever the
    // keyring answers; when the keyring could not take it, the user is told.
    function test_passwordInTheSettingsMovesToTheKeyring_data() {
        return [
            { tag: "keyring takes it", status: PasswordStore.Ok, warnings: [] },
            { tag: "keyring unreachable", status: PasswordStore.Unavailable,
              warnings: ["Kein Schlüsselbund erreichbar: das bisher gespeicherte Passwort wurde aus den Einstellungen entfernt"] }
        ]
    }

    function test_passwordInTheSettingsMovesToTheKeyring(data) {
        remember("anna", 0)
        ConfigStorage.set(ConfigStorage.password, "alt-geheim")
        var fakes = standIns()
        var panel = createPanel(fakes)
        compare(panel.passwordField.text, "alt-geheim")
        compare(fakes.keyring.requests, ["store anna alt-geheim"])
        fakes.keyring.answers[0](data.status)
        compare(ConfigStorage.get(ConfigStorage.password, null), null)
        compare(warnings(), data.warnings)
    }

    // Without any keyring (this process has no session bus): the password is
    // kept nowhere, the rest is remembered, and one warning says so at once.
    function test_withoutKeyringThePasswordIsNotKept() {
        var session = createTemporaryObject(_sessionComponent, _case)
        var panel = createPanel({ session: session })
        panel.rememberBox.checked = true
        panel.userField.text = "anna"
        panel.passwordField.text = "geheim"
        panel.companyBox.currentIndex = 1
        var started = Date.now()
        for (var i = 0; i < 2; ++i) {
            mouseClick(panel.loginButton)
            session.succeeded()
            tryCompare(_notifiedSpy, "count", 1, 1000)
        }
        verify(Date.now() - started < 2000, "no waiting for a keyring")
        wait(100)
        compare(warnings(), ["Kein Schlüsselbund erreichbar: Benutzername und Firma bleiben gespeichert, das Passwort nicht"])
        compare([ConfigStorage.get(ConfigStorage.username, "none"), ConfigStorage.get(ConfigStorage.company, "none"),
                 ConfigStorage.get(ConfigStorage.autologin, "none"), ConfigStorage.get(ConfigStorage.password, "none")],
                ["anna", "1", "1", "none"])
    }
}
