import QtQuick 2.15
import QtTest 1.15

import "../../src/views/lager"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// The CSV import against the reference server: the preview marks what cannot
// be imported before anything is sent, a run creates each category once and
// the good rows' groups, and running again after a failure halfway (or on the
// file loaded anew) creates nothing twice.
ShellTestCase {
    id: _case
    name: "ArtikelgruppenImport"
    width: 1632
    height: 918

    Component {
        id: _viewComponent
        ArtikelgruppenImport {
            width: _case.width
            height: _case.height
        }
    }

    property var view: null

    function init() {
        view = createTemporaryObject(_viewComponent, _case)
        waitForRendering(view)
        testServer.clearRecords()
    }

    function cleanup() {
        cannedServer.clearAnswers()
    }

    function load(fileName) {
        view.loadFile(Qt.resolvedUrl("data/" + fileName))
        tryCompare(view.importer, "checking", false, 10000)
    }

    function rowStates() {
        var states = []
        for (var i = 0; i < view.importer.rows.count; ++i)
            states.push(view.importer.rows.get(i).state)
        return states
    }

    function runImport() {
        mouseClick(findChild(view, "importButton"))
        verify(view.importer.running)
        tryCompare(view.importer, "running", false, 10000)
    }

    function groupsNamed(name) {
        return reply(ServiceWarehouse.get_all_articlegroup, [token]).filter(function (g) { return g.articlename === name })
    }

    function posts(path) {
        return testServer.records().filter(function (r) { return r.method === "POST" && r.path === path })
    }

    function test_previewMarksBadRowsAndTheRunCreatesTheGoodOnes() {
        load("artikelgruppen-gemischt.csv")
        compare(view.fileUrl, String(Qt.resolvedUrl("data/artikelgruppen-gemischt.csv")))
        compare(rowStates(), ["ready", "ready", "problem", "problem", "problem", "ready", "problem"])
        var rows = view.importer.rows
        compare(rows.get(0).articlename, "Importjacke; wattiert")
        compare(rows.get(1).size, "32/34")
        compare(rows.get(2).result, "Artikelname fehlt")
        compare(rows.get(3).result, "Menge \"zehn\" ist keine ganze Zahl")
        compare(rows.get(4).result, "Kunde 987654 unbekannt")
        compare(rows.get(5).articlename, "Importschal \"Lang\"")
        // a row cut short is kept out, not imported without its customer
        compare(rows.get(6).result, "8 Felder, die Kopfzeile hat 10")
        compare(view.importer.ignoredColumns, ["Bemerkung"])
        compare(view.importer.readyCount, 3)
        // nothing created before "Importieren"
        compare(testServer.records().filter(function (r) { return r.method === "POST" }).length, 0)
        saveWindowGrab("warehouse-import-preview.png")

        runImport()
        compare(rowStates(), ["created", "created", "problem", "problem", "problem", "created", "problem"])
        compare(view.banner.settings[0], "Import beendet, Zeilen übersprungen")
        compare(view.banner.settings[1], "3 angelegt, 0 bereits vorhanden, 0 fehlgeschlagen, 4 übersprungen")
        // "Importtextil" and "importTEXTIL" are one category, created once
        compare(posts("/articlegroups/category").length, 1)
        var jacke = groupsNamed("Importjacke; wattiert")
        compare(jacke.length, 1)
        compare(jacke[0].quantity, 30)
        compare(jacke[0].customer_id, 22)
        compare(jacke[0].category.name, "Importtextil")
        compare(groupsNamed("Importschal \"Lang\"")[0].category.id, jacke[0].category.id)
        compare(groupsNamed("Importhose")[0].customer_id, null)
        compare(findChild(view, "progress").value, 3)
        saveWindowGrab("warehouse-import-done.png")
    }

    function test_runAgainAfterAFailureHalfwayCreatesNothingTwice() {
        load("artikelgruppen-halb.csv")
        compare(rowStates(), ["ready", "ready", "ready"])

        // a backend out of reach: nothing is sent, and the user is told
        whileServerIsDown(function () {
            runImport()
            compare(view.banner.settings[0], "Server nicht erreicht")
            compare(rowStates(), ["ready", "ready", "ready"])
        })

        // the new category cannot be created: its row fails, the others go through
        cannedServer.answer("/articlegroups/category", 500, JSON.stringify({ "error": "database locked" }))
        runImport()
        compare(rowStates(), ["created", "failed", "created"])
        verify(view.importer.rows.get(1).result.indexOf("Halbkategorie Neu") >= 0)
        compare(view.banner.settings[0], "Import mit Fehlern beendet")
        compare(view.banner.settings[2], 4)

        testServer.clearRecords()
        runImport()
        compare(rowStates(), ["created", "created", "created"])
        compare(posts("/articlegroups").length, 1)
        compare(view.banner.settings[1], "1 angelegt, 2 bereits vorhanden, 0 fehlgeschlagen, 0 übersprungen")

        // the same file loaded anew: everything is there already
        load("artikelgruppen-halb.csv")
        compare(rowStates(), ["exists", "exists", "exists"])
        compare(findChild(view, "importButton").enabled, false)
        var names = ["Halbjacke", "Halbtasse", "Halbkabel"]
        for (var i = 0; i < names.length; ++i)
            compare(groupsNamed(names[i]).length, 1, names[i])
    }

    // a group the backend created while its reply was unreadable counts as created
    function test_groupStoredWithAnUnreadableReplyIsCreated() {
        load("artikelgruppen-verlust.csv")
        compare(rowStates(), ["ready"])
        var fresh = 0
        // the run's reading of the groups first, then the first group's creation
        cannedServer.answer("/articlegroups", 200, "[]")
        cannedServer.answer("/articlegroups", 201, "{kaputt")
        expectUnreadableReply()
        runImport()
        compare(view.importer.rows.get(fresh).state, "created")
        compare(view.importer.rows.get(fresh).result, "angelegt")
    }

    function test_unreadableFileIsReported() {
        load("gibt-es-nicht.csv")
        compare(view.banner.settings[0], "Datei nicht gelesen")
        compare(view.banner.settings[2], 4)
        compare(view.importer.rows.count, 0)
        compare(findChild(view, "importButton").enabled, false)
    }
}
