import QtQuick 2.15
import QtQuick.LocalStorage 2.12
import QtTest 1.15

import "../../src"
import "../../static"
import "../../static/ConfigStorage.js" as ConfigStorage

// The login form on its own: prefilling from the settings store, what is
// remembered, and Return in the fields. The form only asks; it never logs in.
TestCase {
    id: _case
    name: "LoginPanel"
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
            LoginPanel { id: _panel; anchors.centerIn: parent; width: parent.width }
        }
    }

    SignalSpy { id: _loginSpy; signalName: "loginButtonClicked" }

    function init() {
        // every case starts without remembered data
        ConfigStorage.getDatabase().transaction(function (tx) {
            tx.executeSql("CREATE TABLE IF NOT EXISTS settings(setting TEXT UNIQUE, value TEXT)")
            tx.executeSql("DELETE FROM settings")
        })
        _loginSpy.clear()
        testServer.clearRecords()
    }

    function createPanel() {
        var panel = createTemporaryObject(_panelComponent, _case).panel
        _loginSpy.target = panel
        panel.state = "open"
        tryCompare(panel, "height", _case.height, 2000)
        return panel
    }

    function tokenRequests() {
        return testServer.records().filter(function (r) { return r.path === "/tokens" })
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
        ConfigStorage.set(ConfigStorage.username, "demo")
        ConfigStorage.set(ConfigStorage.password, "vendrix-demo")
        ConfigStorage.set(ConfigStorage.company, 1)
        ConfigStorage.set(ConfigStorage.autologin, true)
        var panel = createPanel()
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
        keyClick(Qt.Key_Escape)
    }

    function test_loginButtonRemembersOnlyWhenTicked() {
        ConfigStorage.set(ConfigStorage.username, "earlier")
        var panel = createPanel()
        panel.userField.text = "anna"
        panel.passwordField.text = "geheim"
        panel.companyBox.currentIndex = 0
        mouseClick(panel.loginButton)
        compare(_loginSpy.count, 1)
        // unticked: nothing written and nothing removed
        compare(ConfigStorage.get(ConfigStorage.username, "none"), "earlier")
        compare(ConfigStorage.get(ConfigStorage.password, "none"), "none")

        mouseClick(panel.rememberBox)
        verify(panel.rememberBox.checked)
        mouseClick(panel.loginButton)
        compare(_loginSpy.count, 2)
        compare(_loginSpy.signalArguments[1][0], "anna")
        compare(_loginSpy.signalArguments[1][1], "geheim")
        compare(ConfigStorage.get(ConfigStorage.username, "none"), "anna")
        compare(ConfigStorage.get(ConfigStorage.password, "none"), "geheim")
        compare(ConfigStorage.get(ConfigStorage.company, "none"), "0")
        compare(ConfigStorage.get(ConfigStorage.autologin, "none"), "1")
        // the form itself sends nothing
        compare(tokenRequests().length, 0)
    }
}
