import QtQuick 2.15

import "qrc:/src/routes.js" as Routes

// The walk, driven inside the client itself: walk.sh starts the vendrix
// executable in a directory whose src/main.qml is this document, so that the
// client's own main window (from its resources, as an office starts it) is
// built, logged in and walked through every area, each entry of its submenu
// and its action. Prints the WALK lines and quits (exit code 1 when a step
// does not come about).
Item {
    id: _walk

    // the client's main window, from the client's resources
    property var window: null
    property var panel: null
    property var steps: []
    property int visited: 0

    // The text of a file under /proc of this process.
    function procFile(name) {
        var xhr = new XMLHttpRequest()
        xhr.open("GET", "file:///proc/self/" + name, false)
        xhr.send()
        return xhr.responseText
    }

    // User + system CPU of this process in milliseconds (/proc counts in
    // Linux's USER_HZ, always 100 per second).
    function cpuMs() {
        var fields = procFile("stat").split(")").pop().trim().split(" ")
        return (Number(fields[11]) + Number(fields[12])) * 10
    }

    function memoryMiB(field) {
        var match = new RegExp(field + ":\\s+(\\d+)").exec(procFile("status"))
        return match ? (Number(match[1]) / 1024).toFixed(1) : "-"
    }

    // The object named `name` below `item` (visual children, resources and
    // the content items of controls and popups).
    function find(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        var below = []
        if (item.data !== undefined)
            for (var i = 0; i < item.data.length; ++i)
                below.push(item.data[i])
        if (item.contentItem)
            below.push(item.contentItem)
        for (var j = 0; j < below.length; ++j) {
            var found = find(below[j], name)
            if (found)
                return found
        }
        return null
    }

    function fail(why) {
        console.log("WALK failed: " + why)
        Qt.exit(1)
    }

    // Queues `action`, then waits `ms`, or until `until()` holds (at most 20 s).
    function step(action, ms, until) {
        steps.push({ "action": action, "ms": ms, "until": until })
    }

    function next() {
        if (steps.length === 0) {
            Qt.quit()
            return
        }
        var current = steps.shift()
        if (current.action)
            current.action()
        if (current.until) {
            var deadline = Date.now() + 20000
            _poll.check = function () {
                if (current.until()) {
                    _poll.stop()
                    next()
                } else if (Date.now() > deadline) {
                    _poll.stop()
                    fail("timed out")
                }
            }
            _poll.start()
        } else {
            _pause.interval = current.ms
            _pause.start()
        }
    }

    // A step that waits until no frame has been prepared for `quietMs`: animations are over.
    function settle(quietMs) {
        var last = 0
        var note = function () { last = Date.now() }
        step(function () {
            last = Date.now()
            window.afterAnimating.connect(note)
        }, 0, function () {
            if (Date.now() - last < quietMs)
                return false
            window.afterAnimating.disconnect(note)
            return true
        })
    }

    function plan() {
        var loginPanel = find(panel, "loginPanel")
        var started = 0
        var startCpu = 0
        settle(300)
        step(function () {
            console.log("WALK RSS at the login panel: " + memoryMiB("VmRSS") + " MiB")
            startCpu = cpuMs()
            started = Date.now()
            panel.startApi("demo", "vendrix-demo")
        }, 0, function () { return panel.surfaceReady && !loginPanel.visible })
        step(function () {
            console.log("WALK login transition: CPU " + (cpuMs() - startCpu) + " ms, wall " + (Date.now() - started)
                        + " ms")
            console.log("WALK RSS after login: " + memoryMiB("VmRSS") + " MiB")
        }, 0)
        for (var area = 0; area < Routes.areas.length; ++area)
            planArea(area)
        var idleCpu = 0
        var frames = 0
        var countFrame = function () { ++frames }
        step(null, 1000)
        step(function () {
            idleCpu = cpuMs()
            window.afterAnimating.connect(countFrame)
        }, 3000)
        step(function () {
            window.afterAnimating.disconnect(countFrame)
            console.log("WALK idle for 3 s afterwards: CPU " + (cpuMs() - idleCpu) + " ms, " + frames + " frames")
            console.log("WALK RSS after " + visited + " views in " + Routes.areas.length + " areas: "
                        + memoryMiB("VmRSS") + " MiB, peak " + memoryMiB("VmHWM") + " MiB")
        }, 0)
    }

    // The area's button, each entry of its submenu, then its action; a
    // second each, as the views slide in and load their first page meanwhile.
    function planArea(area) {
        var route = Routes.areas[area]
        var navigation = function () { return find(panel, "navigation") }
        var page = function () { return navigation().submenuarea.pageAt(area) }
        step(function () { find(navigation(), route.button).activated() }, 0, function () { return page().visible })
        route.entries.forEach(function (entry) {
            step(function () {
                var button = find(page(), "entry_" + entry.subView)
                button.subitemClicked(button.subitemIndex)
                ++_walk.visited
            }, 1000)
        })
        if (route.action !== null && route.action.deliveryOrder !== true) {
            step(function () {
                find(page(), "actionButton").clicked()
                ++_walk.visited
            }, 1000)
        }
    }

    Timer {
        id: _pause
        onTriggered: _walk.next()
    }

    Timer {
        id: _poll
        property var check: null
        interval: 20
        repeat: true
        onTriggered: check()
    }

    Component.onCompleted: {
        var component = Qt.createComponent("qrc:/src/main.qml")
        if (component.status !== Component.Ready) {
            fail(component.errorString())
            return
        }
        window = component.createObject(null)
        var content = window.contentItem.children
        for (var i = 0; i < content.length && !panel; ++i) {
            if (content[i].startApi !== undefined)
                panel = content[i]
        }
        if (!panel) {
            fail("no main panel")
            return
        }
        plan()
        next()
    }
}
