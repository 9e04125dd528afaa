import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/controls"

// Fills the "Kunde auswählen" picker from the reference server at 1,000, 5,000
// and 20,000 customers and prints, per size and as medians of a few openings:
// the first rows after opening, the whole list, the longest gap between two
// frames while it fills, and how long a typed filter takes while it fills.
// Run by run.sh with the QML test runner, which starts the server.
TestCase {
    id: _case
    name: "PickerBenchmark"
    when: windowShown
    visible: true
    width: 1000
    height: 700

    Component {
        id: _pickerComponent
        CustomerPicker { session: _session }
    }

    Session {
        id: _session
    }

    // timestamps of the opening under way
    property real _opened: 0
    property real _firstRows: 0
    property real _filled: 0
    property real _lastFrame: 0
    property real _longestGap: 0
    property bool _filling: false

    Connections {
        target: _case.Window.window
        function onAfterAnimating() {
            var now = Date.now()
            if (_case._filling && _case._lastFrame > 0)
                _case._longestGap = Math.max(_case._longestGap, now - _case._lastFrame)
            _case._lastFrame = now
        }
    }

    // logs the session in as the demo user (anew after a restart of the server)
    function login() {
        var done = false
        var succeeded = function () { done = true }
        _session.succeeded.connect(succeeded)
        _session.login("demo", "vendrix-demo")
        tryVerify(function () { return done }, 10000, "login")
        _session.succeeded.disconnect(succeeded)
    }

    function median(values) {
        var sorted = values.slice().sort(function (a, b) { return a - b })
        var mid = Math.floor(sorted.length / 2)
        return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2
    }

    // one opening: [first rows ms, filled ms, longest frame gap ms, filter ms, rows]
    function openOnce(typeWhileFilling) {
        var picker = createTemporaryObject(_pickerComponent, _case)
        var rows = picker.customers
        _firstRows = 0
        _filled = 0
        _longestGap = 0
        _lastFrame = 0
        var filterMs = -1
        rows.countChanged.connect(function () {
            if (_firstRows === 0 && rows.count > 1)
                _firstRows = Date.now()
        })
        picker.busyChanged.connect(function () {
            if (!picker.busy && _filled === 0) {
                _filled = Date.now()
                _filling = false
            }
        })
        _filling = true
        _opened = Date.now()
        picker.open()
        tryVerify(function () { return _firstRows > 0 }, 60000, "first rows")
        if (typeWhileFilling && picker.filterText !== undefined) {
            var before = Date.now()
            picker.filterText = "mü"
            filterMs = Date.now() - before
            picker.filterText = ""
        }
        tryVerify(function () { return _filled > 0 }, 120000, "filled")
        var count = rows.count - 1
        picker.close()
        picker.destroy()
        return [_firstRows - _opened, _filled - _opened, _longestGap, filterMs, count]
    }

    function test_fill() {
        login()
        var sizes = [[1000, 1000, "71"], [5000, 4000, "72"], [20000, 15000, "73"]]
        var rounds = 3
        for (var s = 0; s < sizes.length; ++s) {
            verify(testServer.restart(["--seed-customers", String(sizes[s][1]), "--seed", sizes[s][2]]))
            login()
            var results = []
            for (var r = 0; r < rounds; ++r)
                results.push(openOnce(r === 0))
            var pick = function (i) { return results.map(function (x) { return x[i] }) }
            console.log("PICKER " + sizes[s][0] + " customers (" + results[0][4] + " rows):"
                        + " first rows " + median(pick(0)) + " ms,"
                        + " filled " + median(pick(1)) + " ms,"
                        + " longest frame gap " + median(pick(2)) + " ms,"
                        + " filter while filling " + (results[0][3] < 0 ? "-" : results[0][3] + " ms"))
        }
    }
}
