import QtQuick 2.15
import QtQuick.Controls.Material 2.15
import QtTest 1.15

import "../../src/controls"
import "../../static/NotificationState.js" as NotificationState

// The banner as a host uses it: settings, delay, run; closing by time and by click.
TestCase {
    id: _case
    name: "NotificationBanner"
    when: windowShown
    visible: true
    width: 900
    height: 400

    Component {
        id: _bannerComponent
        Item {
            property alias banner: _banner
            width: _case.width
            height: _case.height
            NotificationBanner { id: _banner; anchors.fill: parent }
        }
    }

    function createBanner() {
        var host = createTemporaryObject(_bannerComponent, _case)
        return host.banner
    }

    function part(banner, name) {
        return findChild(banner, name)
    }

    function saveGrab(item, fileName) {
        var saved = false
        item.grabToImage(function (result) { saved = result.saveToFile(screenshotDirectory + "/" + fileName) })
        tryVerify(function () { return saved }, 5000, fileName)
    }

    function test_statesColoursAndIcons_data() {
        return [
            { tag: "info", state: NotificationState.INFO, bar: Material.color(Material.Blue), text: "#ffffff", icon: "\uf05a" },
            { tag: "success", state: NotificationState.SUCCESS, bar: Material.color(Material.Green), text: "#ffffff", icon: "\uf058" },
            { tag: "warning", state: NotificationState.WARNING, bar: Material.color(Material.Yellow), text: "#444444", icon: "\uf06a" },
            { tag: "error", state: NotificationState.ERROR, bar: Material.color(Material.Red), text: "#ffffff", icon: "\uf057" }
        ]
    }

    function test_statesColoursAndIcons(data) {
        var banner = createBanner()
        verify(!banner.visible)
        banner.delay = 60000
        banner.settings = ["Titel " + data.tag, "Ein Text für den Zustand " + data.tag, data.state]
        banner.run = true
        compare(banner.show, true)
        compare(banner.notstate, "opened")
        var bar = part(banner, "bar")
        tryCompare(bar, "y", 0, 1000)
        compare(String(bar.color), String(data.bar))
        compare(String(part(banner, "title").color), data.text)
        compare(String(part(banner, "text").color), data.text)
        compare(String(part(banner, "icon").color), data.text)
        compare(part(banner, "icon").text, data.icon)
        compare(part(banner, "title").text, "Titel " + data.tag)
        compare(bar.height, 70 * c_Scale)
        saveGrab(banner.parent, "banner-" + data.tag + ".png")
    }

    function test_unknownStateHasNoColourNorIcon() {
        var banner = createBanner()
        banner.settings = ["Titel", "Text", 7]
        banner.run = true
        compare(String(part(banner, "bar").color), "#00000000")
        compare(part(banner, "icon").text, "")
    }

    // How long a message stays, by the wall clock. QML timers follow the
    // animation clock, which runs ahead of the wall clock in a render loop
    // that trusts a vertical sync the display does not have (Xvfb).
    function shownFor(banner) {
        var started = Date.now()
        banner.run = true
        tryCompare(banner, "notstate", "closed", 10000)
        return Date.now() - started
    }

    function test_defaultDelayIsFiveSecondsAndASetOneIsKept() {
        var banner = createBanner()
        compare(banner.delay, -1)
        banner.settings = ["a", "b", NotificationState.INFO]
        var shown = shownFor(banner)
        verify(shown >= 4500 && shown <= 5500, "default message shown for " + shown + " ms")
        tryCompare(banner, "show", false, 1000)
        // a host sets 7000 once; its next message without a delay of its own keeps it
        banner.delay = 7000
        banner.run = true
        banner.run = false
        banner.settings = ["c", "d", NotificationState.INFO]
        shown = shownFor(banner)
        compare(banner.delay, 7000)
        verify(shown >= 6300 && shown <= 7700, "7000 ms message shown for " + shown + " ms")
    }

    function test_closesAfterItsTimeAndSlidesUp() {
        var banner = createBanner()
        banner.delay = 400
        banner.settings = ["a", "b", NotificationState.SUCCESS]
        var started = Date.now()
        banner.run = true
        var line = part(banner, "loadLine")
        tryVerify(function () { return line.width > 0 }, 400, "load line grows")
        tryCompare(banner, "notstate", "closed", 1000)
        verify(Date.now() - started >= 380)
        compare(banner.run, false)
        compare(line.width, 0)
        // slides up, then hides
        compare(banner.show, true)
        tryCompare(banner, "show", false, 1000)
        compare(part(banner, "bar").y, -part(banner, "bar").height)
    }

    function test_clickClosesAndResetsLoadLine() {
        var banner = createBanner()
        banner.delay = 10000
        banner.settings = ["a", "b", NotificationState.WARNING]
        banner.run = true
        var bar = part(banner, "bar")
        var line = part(banner, "loadLine")
        tryCompare(bar, "y", 0, 1000)
        tryVerify(function () { return line.width > 0 }, 1000)
        mouseClick(bar, bar.width / 2, bar.height / 2)
        compare(banner.run, false)
        compare(banner.notstate, "closed")
        compare(line.width, 0)
        tryCompare(banner, "show", false, 1000)
        // and it opens again for the next message
        banner.run = true
        compare(banner.notstate, "opened")
        compare(banner.show, true)
    }

    function test_clickBesideTheBarReachesTheHost() {
        var banner = createBanner()
        banner.delay = 10000
        banner.settings = ["a", "b", NotificationState.INFO]
        banner.run = true
        mouseClick(banner, banner.width / 2, banner.height - 20)
        compare(banner.run, true)
        compare(banner.notstate, "opened")
    }

    function test_runWhileRunningDoesNotRestart() {
        var banner = createBanner()
        banner.delay = 700
        banner.settings = ["erste", "Meldung", NotificationState.INFO]
        var started = Date.now()
        banner.run = true
        wait(350)
        // a second message: shows at once, leaves with the first one's time
        banner.delay = 5000
        banner.settings = ["zweite", "Meldung", NotificationState.ERROR]
        banner.run = true
        compare(part(banner, "title").text, "zweite")
        compare(part(banner, "icon").text, "\uf057")
        tryCompare(banner, "notstate", "closed", 2000)
        verify(Date.now() - started < 1300, "closed after " + (Date.now() - started) + " ms")
    }
}
