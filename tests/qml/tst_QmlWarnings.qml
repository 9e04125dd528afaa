import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src/routes.js" as Routes

// The whole application as a user meets it, with the debug log recorded from
// before the main window is created: the login through the login panel, then
// every area from its icon and every page of it, from its submenu entry or
// action button where it has one. Not one warning may reach the log (the
// engine's warnings about documents, console.warn, console.error). A new
// warning of any document makes this test fail with the warning itself.
ShellTestCase {
    id: _case
    name: "QmlWarnings"

    property var window: null

    function findInWindow(name) {
        return findChild(window.contentItem, name)
    }

    // Waits until the documents and the server have gone quiet: neither a
    // request nor a log message for a few polls in a row.
    function settle() {
        var quietPolls = 0
        var requests = -1
        var messages = -1
        tryVerify(function () {
            var nowRequests = testServer.records().length
            var nowMessages = testLog.messages().length
            quietPolls = nowRequests === requests && nowMessages === messages ? quietPolls + 1 : 0
            requests = nowRequests
            messages = nowMessages
            return quietPolls >= 3
        }, 20000, "the application kept working")
    }

    function initTestCase() {
        testLog.start()
        var component = Qt.createComponent("../../src/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = createTemporaryObject(component, _case)
        verify(window !== null)
        // a 1920 x 1080 screen's window at scale 1
        window.width = 1632
        window.height = 918
        tryCompare(window, "active", true, 5000)
    }

    function cleanupTestCase() {
        testLog.stop()
    }

    function test_loginAndEveryAreaWithoutWarnings() {
        var login = findInWindow("loginPanel")
        // opened all the way
        tryCompare(login, "opacity", 1, 5000)
        login.userField.text = "demo"
        login.passwordField.text = "vendrix-demo"
        mouseClick(login.loginButton)
        var surface = findInWindow("workingSurface")
        tryCompare(login, "visible", false, 10000)
        verify(surface.visible)
        settle()

        var navigation = surface.navigation
        var container = surface.container
        for (var area = 0; area < Routes.areas.length; ++area) {
            var row = Routes.areas[area]
            mouseClick(findChild(navigation, row.button))
            var submenu = navigation.submenuarea.pageAt(area)
            tryCompare(submenu, "visible", true, 5000)
            settle()
            for (var subView = 0; subView < row.pages.length; ++subView) {
                var entry = findChild(submenu, "entry_" + subView)
                if (entry) {
                    mouseClick(entry)
                } else if (row.action && row.action.subView === subView && !row.action.deliveryOrder) {
                    mouseClick(findChild(submenu, "actionButton"))
                } else {
                    // a page that only a delivery order leads to
                    surface.navigationState.chooseSubView(subView)
                }
                compare(container.currentView().objectName, Routes.viewName(row.pages[subView]))
                settle()
            }
            if (row.action && row.action.deliveryOrder) {
                // without an open delivery order this opens the customer picker
                mouseClick(findChild(submenu, "actionButton"))
                settle()
                if (navigation.submenuarea.customerPicker.visible) {
                    keyClick(Qt.Key_Escape)
                    tryCompare(navigation.submenuarea.customerPicker, "visible", false)
                }
            }
        }
        settle()

        var warnings = testLog.warnings()
        compare(warnings.length, 0, "warnings in the log:\n" + warnings.join("\n"))
    }
}
