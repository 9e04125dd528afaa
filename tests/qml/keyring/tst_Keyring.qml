import QtQuick 2.15
import QtQuick.LocalStorage 2.12
import QtTest 1.15
import PasswordStore 1.0

import "../../../src"
import "../../../static/ConfigStorage.js" as ConfigStorage

// The remembered password against a real keyring: a gnome-keyring of this
// process's own on a private session bus (tests/support/with-keyring.sh), and a
// login against the reference server.
TestCase {
    id: _case
    name: "Keyring"
    when: windowShown
    visible: true
    width: 1224
    height: 765

    Component {
        id: _panelComponent
        Item {
            property alias panel: _panel
            width: _case.width
            height: _case.height
            Session { id: _session }
            LoginPanel {
                id: _panel
                anchors.centerIn: parent
                width: parent.width
                session: _session
                notifier: _notifier
                onLoginButtonClicked: _session.login(username, password)
            }
        }
    }

    PasswordStore { id: _keyring }
    Notifier { id: _notifier }
    SignalSpy { id: _notifiedSpy; target: _notifier; signalName: "notified" }

    function init() {
        ConfigStorage.getDatabase().transaction(function (tx) {
            tx.executeSql(ConfigStorage.CREATE_TABLE)
            tx.executeSql("DELETE FROM settings")
        })
        _notifiedSpy.clear()
    }

    function createPanel() {
        var panel = createTemporaryObject(_panelComponent, _case).panel
        panel.state = "open"
        tryCompare(panel, "height", _case.height, 2000)
        return panel
    }

    // what the keyring holds for `user`; null: nothing
    function kept(user) {
        var result
        _keyring.read(user, function (status, password) {
            result = status === PasswordStore.Ok ? password : (status === PasswordStore.NotFound ? null : "unavailable")
        })
        tryVerify(function () { return result !== undefined }, 5000)
        return result
    }

    function test_passwordInTheSettingsMovesToTheKeyring() {
        ConfigStorage.set(ConfigStorage.username, "jürgen")
        ConfigStorage.set(ConfigStorage.password, "alt \"geheim\" ü€")
        ConfigStorage.set(ConfigStorage.autologin, true)
        var panel = createPanel()
        compare(panel.passwordField.text, "alt \"geheim\" ü€")
        tryVerify(function () { return ConfigStorage.get(ConfigStorage.password, null) === null }, 5000)
        compare(kept("jürgen"), "alt \"geheim\" ü€")
        compare(_notifiedSpy.count, 0)
    }

    function test_rememberedInTheKeyringAndPrefilledFromIt() {
        var panel = createPanel()
        panel.userField.text = "demo"
        panel.passwordField.text = "vendrix-demo"
        panel.rememberBox.checked = true
        mouseClick(panel.loginButton)
        tryCompare(panel.session, "loggedIn", true, 5000)
        tryVerify(function () { return kept("demo") === "vendrix-demo" }, 5000)
        compare(ConfigStorage.get(ConfigStorage.password, null), null)

        // the next start: the password comes from the keyring, after the panel stands
        panel = createPanel()
        tryCompare(panel.passwordField, "text", "vendrix-demo", 5000)
        verify(panel.rememberBox.checked)

        // unticked: gone from the keyring
        panel.rememberBox.checked = false
        mouseClick(panel.loginButton)
        tryVerify(function () { return kept("demo") === null }, 5000)
        compare(_notifiedSpy.count, 0)
    }
}
