import QtQuick 2.15
import QtTest 1.15

import "../../src"

// The profile side of the top bar against the reference server: the user's
// name after each appearance of the bar, and the delayed sign-out.
ShellTestCase {
    id: _case
    name: "Profil"
    width: 1400
    height: 300

    Component {
        id: _barComponent
        // as wide as the top bar beside the navigation in a 1632 pixel window
        SearchNotificationArea { width: 1162 * c_Scale; visible: false }
    }

    SignalSpy { id: _signOutSpy; signalName: "signOut" }

    function init() {
        _signOutSpy.clear()
        testServer.clearRecords()
    }

    function saveGrab(item, fileName) {
        var saved = false
        item.grabToImage(function (result) { saved = result.saveToFile(screenshotDirectory + "/" + fileName) })
        tryVerify(function () { return saved }, 5000, fileName)
    }

    function meRequests() {
        return testServer.records().filter(function (r) { return r.method === "GET" && r.path === "/me" })
    }

    function test_nameLoadsEachTimeTheBarAppears() {
        var bar = createTemporaryObject(_barComponent, _case)
        var profil = bar.profilArea.profil
        compare(profil.surname, "--")
        compare(profil.lastname, "--")
        verify(bar.profilArea.busyIndicator.running)
        compare(meRequests().length, 0)

        bar.visible = true
        tryCompare(profil, "lastname", "Mustermann", 5000)
        compare(profil.surname, "Erika")
        verify(!bar.profilArea.busyIndicator.running)
        var requests = meRequests()
        compare(requests.length, 1)
        var authorization = requests[0].headers.filter(function (h) { return h[0].toLowerCase() === "authorization" })
        compare(authorization[0][1], "Bearer " + session.token)
        // let the busy indicator fade out
        wait(400)
        saveGrab(bar, "topbar.png")
        // the name stays inside the bar
        var lastname = findChild(bar, "lastname")
        verify(lastname.mapToItem(bar, lastname.width, 0).x <= bar.width, "name inside the bar")

        bar.visible = false
        bar.visible = true
        tryVerify(function () { return meRequests().length === 2 }, 5000, "second user-record request")
    }

    function test_longNameEndsInsideTheBar() {
        cannedServer.answer("/me", 200, JSON.stringify({ "surname": "Maximiliane-Alexandra-Theodora",
                                                         "lastname": "Schwarzenberg-Hohenlohe-Waldenburg-Schillingsfürst" }))
        var bar = createTemporaryObject(_barComponent, _case)
        bar.visible = true
        tryCompare(bar.profilArea.busyIndicator, "running", false, 5000)
        var names = [findChild(bar, "surname"), findChild(bar, "lastname")]
        for (var i = 0; i < names.length; ++i) {
            verify(names[i].truncated, names[i].objectName + " ends in an ellipsis")
            verify(names[i].mapToItem(bar, names[i].width, 0).x <= bar.width, names[i].objectName + " inside the bar")
        }
        saveGrab(bar, "topbar-long-name.png")
    }

    function test_signOutOnlyAfterTheMovement() {
        var bar = createTemporaryObject(_barComponent, _case)
        bar.visible = true
        _signOutSpy.target = bar
        var icon = findChild(bar, "signoutIcon")
        var started = Date.now()
        mouseClick(icon)
        // a second click during the movement signs out only once
        wait(100)
        mouseClick(icon)
        wait(450)
        compare(_signOutSpy.count, 0)
        tryCompare(_signOutSpy, "count", 1, 2000)
        verify(Date.now() - started >= 690, "signed out after " + (Date.now() - started) + " ms")
        wait(800)
        compare(_signOutSpy.count, 1)
    }
}
