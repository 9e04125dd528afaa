import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/routes.js" as Routes

// After start-up: the CPU the login transition takes, from the login until
// the login panel has gone and the working surface stands, and the resident
// memory after a walk through every area, each entry of its submenu and its
// action. Run by walk.sh with the QML test runner, which starts the server;
// its figures include the runner's own share.
TestCase {
    id: _case
    name: "WalkBenchmark"
    when: windowShown
    visible: true
    // a 1920 × 1080 screen's window at scale 1
    width: 1632
    height: 918

    MainPanel {
        id: _panel
        width: _case.width
        height: _case.height
    }

    // The text of a file under /proc of this process.
    function procFile(name) {
        var xhr = new XMLHttpRequest()
        xhr.open("GET", "file:///proc/self/" + name, false)
        xhr.send()
        verify(xhr.responseText, "run with QML_XHR_ALLOW_FILE_READ=1")
        return xhr.responseText
    }

    // User + system CPU of this process in clock ticks.
    function cpuTicks() {
        var fields = procFile("stat").split(")").pop().trim().split(" ")
        return Number(fields[11]) + Number(fields[12])
    }

    function memoryKiB(field) {
        var match = new RegExp(field + ":\\s+(\\d+)").exec(procFile("status"))
        return match ? Number(match[1]) : -1
    }

    // Waits until no frame has been prepared for `quietMs`: animations are over.
    function settle(quietMs) {
        var last = Date.now()
        var window = _case.Window.window
        var note = function () { last = Date.now() }
        window.afterAnimating.connect(note)
        tryVerify(function () { return Date.now() - last >= quietMs }, 20000, "the window settles")
        window.afterAnimating.disconnect(note)
    }

    function test_loginThenWalk() {
        // /proc counts CPU in Linux's USER_HZ, always 100 per second
        var ticksPerSecond = 100
        var loginPanel = findChild(_panel, "loginPanel")
        settle(300)
        console.log("WALK RSS at the login panel: " + (memoryKiB("VmRSS") / 1024).toFixed(1) + " MiB")
        var startTicks = cpuTicks()
        var started = Date.now()
        _panel.startApi("demo", "vendrix-demo")
        tryVerify(function () { return _panel.surfaceReady && !loginPanel.visible }, 20000, "the working surface")
        var wall = Date.now() - started
        var ticks = cpuTicks() - startTicks
        console.log("WALK login transition: CPU " + (ticks * 1000 / ticksPerSecond) + " ms, wall " + wall + " ms")
        console.log("WALK RSS after login: " + (memoryKiB("VmRSS") / 1024).toFixed(1) + " MiB")

        var navigation = findChild(_panel, "navigation")
        var visited = 0
        for (var area = 0; area < Routes.areas.length; ++area) {
            mouseClick(findChild(navigation, Routes.areas[area].button))
            var page = navigation.submenuarea.pageAt(area)
            tryVerify(function () { return page.visible }, 5000, "submenu " + area)
            var entries = Routes.areas[area].entries
            for (var e = 0; e < entries.length; ++e) {
                mouseClick(findChild(page, "entry_" + entries[e].subView))
                // the views slide in and load their first page meanwhile
                wait(1000)
                ++visited
            }
            var action = Routes.areas[area].action
            if (action !== null && action.deliveryOrder !== true) {
                mouseClick(findChild(page, "actionButton"))
                wait(1000)
                ++visited
            }
        }
        wait(1000)
        var idleTicks = cpuTicks()
        var frames = 0
        var countFrame = function () { ++frames }
        _case.Window.window.afterAnimating.connect(countFrame)
        wait(3000)
        _case.Window.window.afterAnimating.disconnect(countFrame)
        console.log("WALK idle for 3 s afterwards: CPU " + ((cpuTicks() - idleTicks) * 1000 / ticksPerSecond) + " ms, "
                    + frames + " frames")
        console.log("WALK RSS after " + visited + " views in " + Routes.areas.length + " areas: "
                    + (memoryKiB("VmRSS") / 1024).toFixed(1) + " MiB, peak " + (memoryKiB("VmHWM") / 1024).toFixed(1)
                    + " MiB")
    }
}
