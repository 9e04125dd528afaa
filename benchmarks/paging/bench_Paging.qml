import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/views/auftraege"

// Pages "Erfasste Aufträge" to the end by scrolling, against the reference
// server with many generated orders, and prints the figures: per page the
// time from reaching the end to the first frame drawn with the new cards,
// the frame times while scrolling, and the memory after every 50 pages.
// Run by run.sh on a real X server; not part of the test suite.
TestCase {
    id: _bench
    name: "PagingBenchmark"
    when: windowShown
    visible: true
    // the container's share of a 1920 × 1080 screen's window at scale 1
    width: 1142
    height: 768

    // generated data on top of the demo data (run.sh --orders sets the orders)
    readonly property int seedCustomers: 500
    readonly property int seedOrders: Number(environment("PAGING_ORDERS")) || 5000
    // pixels the list moves per frame while scrolling (a fast wheel)
    readonly property real step: 120

    // times (ms) between the frames drawn while scrolling
    property var frameTimes: []
    // per page: {page, cards, reply, drawn} (ms from reaching the end)
    property var pages: []
    // {cards, rss (KiB)} after page 1, every 50 pages and at the end
    property var memory: []

    // a frame was drawn at this time; -1: not measuring
    property real _lastFrame: -1
    property bool _scrolling: false
    // when the last step reached the end (the page request goes out in that step)
    property real _reachedEnd: -1
    // when the page's records were in the list; -1: not yet
    property real _loaded: -1
    // when the first frame after that was drawn; -1: not yet
    property real _drawn: -1

    Session {
        id: _session
    }

    Erfasst {
        id: _view
        session: _session
        width: _bench.width
        height: _bench.height
    }

    Connections {
        target: _bench.Window.window
        function onFrameSwapped() {
            var now = Date.now()
            if (_bench._loaded >= 0 && _bench._drawn < 0)
                _bench._drawn = now
            if (_bench._scrolling && _bench._lastFrame >= 0)
                _bench.frameTimes.push(now - _bench._lastFrame)
            _bench._lastFrame = now
            if (_bench._scrolling)
                _bench._scrollOneStep()
        }
    }

    function _end() {
        var list = _view.list.listView
        return list.originY + list.contentHeight - list.height
    }

    // Moves the list one step towards its end; the last step ends exactly there.
    function _scrollOneStep() {
        var list = _view.list.listView
        var end = _end()
        if (list.contentY >= end) {
            _scrolling = false
            return
        }
        _reachedEnd = Date.now()
        list.contentY = Math.min(end, list.contentY + step)
        if (list.contentY >= end)
            _scrolling = false
    }

    // The value of an environment variable of this process, "" when unset.
    function environment(name) {
        var xhr = new XMLHttpRequest()
        xhr.open("GET", "file:///proc/self/environ", false)
        xhr.send()
        var entries = (xhr.responseText || "").split("\u0000")
        for (var i = 0; i < entries.length; ++i) {
            if (entries[i].indexOf(name + "=") === 0)
                return entries[i].substring(name.length + 1)
        }
        return ""
    }

    // Resident and peak memory of this process in KiB.
    function readMemory() {
        var text = ""
        var xhr = new XMLHttpRequest()
        xhr.onreadystatechange = function () {
            if (xhr.readyState === XMLHttpRequest.DONE)
                text = xhr.responseText || "-"
        }
        xhr.open("GET", "file:///proc/self/status")
        xhr.send()
        tryVerify(function () { return text !== "" }, 5000, "run with QML_XHR_ALLOW_FILE_READ=1")
        var rss = /VmRSS:\s+(\d+)/.exec(text)
        var hwm = /VmHWM:\s+(\d+)/.exec(text)
        return { rss: rss ? Number(rss[1]) : -1, hwm: hwm ? Number(hwm[1]) : -1 }
    }

    function percentile(values, p) {
        if (values.length === 0)
            return 0
        var sorted = values.slice().sort(function (a, b) { return a - b })
        return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))]
    }

    function test_pageToTheEnd() {
        var seedStart = Date.now()
        verify(testServer.restart(["--seed-customers", String(seedCustomers), "--seed-orders", String(seedOrders)]))
        console.log("PAGING server seeded and started in " + (Date.now() - seedStart) + " ms")
        _session.login("demo", "vendrix-demo")
        tryCompare(_session, "loggedIn", true, 10000)

        var list = _view.list
        var loadedPages = 0
        list.pageLoaded.connect(function (page) {
            ++loadedPages
            _loaded = Date.now()
        })
        _view.refresh("")
        tryVerify(function () { return loadedPages === 1 }, 10000, "page 1")
        memory.push({ cards: list.model.count, rss: readMemory().rss })

        var started = Date.now()
        while (list.current_page !== 0) {
            var before = loadedPages
            var cards = list.model.count
            _lastFrame = -1
            _loaded = -1
            _drawn = -1
            _scrolling = true
            _scrollOneStep()
            tryVerify(function () { return !_scrolling }, 60000, "scrolled to the end")
            tryVerify(function () { return loadedPages > before || list.current_page === 0 }, 20000, "next page")
            if (list.current_page === 0)
                break
            tryVerify(function () { return _drawn >= 0 }, 5000, "a frame after the page")
            pages.push({ page: list.current_page, cards: list.model.count - cards, reply: _loaded - _reachedEnd,
                         drawn: _drawn - _reachedEnd })
            if (list.current_page % 50 === 0)
                memory.push({ cards: list.model.count, rss: readMemory().rss })
        }
        var total = Date.now() - started
        var peak = readMemory()
        memory.push({ cards: list.model.count, rss: peak.rss })

        var drawn = pages.map(function (p) { return p.drawn })
        var replies = pages.map(function (p) { return p.reply })
        console.log("PAGING pages loaded by scrolling: " + pages.length + " (+ page 1), cards: " + list.model.count
                    + ", total " + (total / 1000).toFixed(1) + " s")
        console.log("PAGING end reached -> new cards drawn (ms): median " + percentile(drawn, 0.5)
                    + ", p95 " + percentile(drawn, 0.95) + ", max " + percentile(drawn, 1))
        console.log("PAGING of that, until the reply was in the list (ms): median " + percentile(replies, 0.5)
                    + ", p95 " + percentile(replies, 0.95) + ", max " + percentile(replies, 1))
        console.log("PAGING frames while scrolling: " + frameTimes.length + ", frame time (ms): median "
                    + percentile(frameTimes, 0.5) + ", p99 " + percentile(frameTimes, 0.99) + ", worst "
                    + percentile(frameTimes, 1) + ", over 50 ms: "
                    + frameTimes.filter(function (t) { return t > 50 }).length)
        for (var i = 0; i < memory.length; ++i)
            console.log("PAGING memory at " + memory[i].cards + " cards: RSS " + (memory[i].rss / 1024).toFixed(1) + " MiB")
        console.log("PAGING peak RSS after all pages: " + (peak.hwm / 1024).toFixed(1) + " MiB")
        // what the list holds per card: the growth from page 1, and from the first sample after
        // it (cards already built and reused by then), to the last page, over the cards added
        var first = memory[0]
        var warm = memory.length > 2 ? memory[1] : first
        var last = memory[memory.length - 1]
        var perCard = function (from) {
            return last.cards > from.cards ? ((last.rss - from.rss) / (last.cards - from.cards)).toFixed(1) : "-"
        }
        console.log("PAGING held per card (KiB, target 8 or less): " + perCard(first) + " from " + first.cards
                    + " cards, " + perCard(warm) + " from " + warm.cards + " cards")
        for (var j = 0; j < pages.length; ++j)
            console.log("PAGING page " + pages[j].page + " " + pages[j].cards + " cards " + pages[j].reply + " ms reply "
                        + pages[j].drawn + " ms drawn")
        verify(list.model.count >= seedOrders, "every order listed")
    }
}
