import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/controls"

// Fills the "Kunde auswählen" picker from the reference server at 1,000, 5,000
// and 20,000 customers and prints, per size and as medians of a few openings:
// the first rows after opening, the whole list, the longest gap between two
// frames while it fills, how long a typed filter takes while it fills, and how
// long after the last keystroke of a known customer's full name, typed as soon
// as the first rows show, that customer's row is in the list ("found").
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

    // Types `name` into the picker's filter a key at a time, as a quick typist
    // does, and returns the ms from the last key until the row of customer
    // `id` is in the list (-1: not before the list was filled).
    function typeAndFind(picker, name, id) {
        var rows = picker.customers
        var lastKey = 0
        var found = 0
        var has = function (first, last) {
            for (var i = first; i <= last; ++i) {
                if (rows.get(i).id === id)
                    return true
            }
            return false
        }
        var look = function (parent, first, last) {
            if (found === 0 && lastKey > 0 && has(first, last))
                found = Date.now()
        }
        rows.rowsInserted.connect(look)
        for (var k = 1; k <= name.length; ++k) {
            picker.filterText = name.substr(0, k)
            if (k < name.length)
                wait(30)
        }
        lastKey = Date.now()
        if (has(1, rows.count - 1))
            found = lastKey
        tryVerify(function () { return found > 0 || !picker.busy }, 60000, "found")
        rows.rowsInserted.disconnect(look)
        if (found === 0 && has(1, rows.count - 1))
            found = Date.now()
        return found > 0 ? found - lastKey : -1
    }

    // one opening: [first rows ms, filled ms, longest frame gap ms, filter ms,
    // rows, found ms, the last row ({ name, id })]; `known` (a row) is typed
    // while it fills
    function openOnce(typeWhileFilling, known) {
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
        var foundMs = known ? typeAndFind(picker, known.name, known.id) : -1
        tryVerify(function () { return _filled > 0 }, 120000, "filled")
        picker.filterText = ""
        var count = rows.count - 1
        var last = rows.get(rows.count - 1)
        last = { "name": last.name, "id": last.id }
        picker.close()
        picker.destroy()
        return [_firstRows - _opened, _filled - _opened, _longestGap, filterMs, count, foundMs, last]
    }

    function test_fill() {
        login()
        var sizes = [[1000, 1000, "71"], [5000, 4000, "72"], [20000, 15000, "73"]]
        var rounds = 3
        for (var s = 0; s < sizes.length; ++s) {
            verify(testServer.restart(["--seed-customers", String(sizes[s][1]), "--seed", sizes[s][2]]))
            login()
            // an opening to learn the known customer: the last one listed
            var known = openOnce(false, null)[6]
            var results = []
            for (var r = 0; r < rounds; ++r)
                results.push(openOnce(r === 0, known))
            var pick = function (i) { return results.map(function (x) { return x[i] }) }
            console.log("PICKER " + sizes[s][0] + " customers (" + results[0][4] + " rows):"
                        + " first rows " + median(pick(0)) + " ms,"
                        + " filled " + median(pick(1)) + " ms,"
                        + " longest frame gap " + median(pick(2)) + " ms,"
                        + " filter while filling " + (results[0][3] < 0 ? "-" : results[0][3] + " ms") + ","
                        + " found " + median(pick(5)) + " ms")
        }
    }
}
