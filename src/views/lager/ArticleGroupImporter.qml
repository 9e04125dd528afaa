import QtQml 2.15
import QtQml.Models 2.15
import ArticleGroupCsv 1.0

import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_customer.js" as ServiceCustomer
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups

// Imports article groups from a CSV file (layout: native ArticleGroupCsv).
// load() reads the file and checks every row before anything is created:
// the file's own problems, unknown customers, rows that repeat an earlier
// row, and groups the backend holds already. run() then creates the
// categories the rows name, each once, and the groups one by one.
//
// Nothing is created twice: each run first reads the groups the backend
// holds and skips every row whose group is among them (same customer, name,
// number, type, colour, size and storage place), as it skips the rows it has
// created itself. A run that stops halfway (a failure, a lost connection, a
// closed application) can therefore simply be run again, also on the file
// loaded anew.
QtObject {
    id: _importer

    // one row per record of the file: line, the fields, problems (text),
    // state (see below) and result (the text shown for it)
    // states: "problem" (never imported), "ready", "exists", "created", "failed"
    readonly property ListModel rows: ListModel {}
    // why the file gave no rows at all; empty otherwise
    readonly property string error: _error
    // header names that are no article group field
    readonly property var ignoredColumns: _csv.ignoredColumns
    // true while the rows are checked against the backend
    readonly property bool checking: _checking
    // true while a run creates categories and groups
    readonly property bool running: _running
    // rows a run would create now
    readonly property int readyCount: _counts.ready + _counts.failed
    // groups the current run has handled, and how many it handles in all
    readonly property int done: _done
    readonly property int total: _total

    // the check after a load is complete (also when it could not reach the backend)
    signal checked()
    // a run has ended; `summary` counts {created, exists, failed, skipped}
    signal finished(var summary)
    // the backend could not be asked; `text` says what for (German)
    signal failed(string text)

    // Reads the file at `url` and checks its rows. False when the file gave no rows.
    function load(url) {
        if (_running)
            return false
        ++_serial
        rows.clear()
        _counts = _noCounts()
        if (!_csv.load(url)) {
            _error = _csv.error
            return false
        }
        _error = ""
        var records = _csv.rows
        var seen = ({})
        var counts = _noCounts()
        for (var i = 0; i < records.length; ++i) {
            var record = records[i]
            var problems = record.problems.slice()
            var key = ArticleGroups.groupKey(record)
            if (problems.length === 0) {
                if (seen[key] !== undefined)
                    problems.push(qsTr("doppelt (wie Zeile %1)").arg(seen[key]))
                else
                    seen[key] = record.line
            }
            rows.append(ArticleGroups.importRow(record, problems))
            ++counts[problems.length > 0 ? "problem" : "ready"]
        }
        _counts = counts
        _check(_serial)
        return true
    }

    // Creates what the ready rows need; failed rows are tried again.
    function run() {
        if (_running || _checking || readyCount === 0)
            return
        _running = true
        _done = 0
        _total = 0
        _createdNow = 0
        _failedNow = 0
        var serial = _serial
        ServiceWarehouse.get_all_articlegroup(Dynamic.getToken(), function (groups, status) {
            if (serial !== _serial)
                return
            if (!Request.isList(groups)) {
                _running = false
                failed(ArticleGroups.failureReason(status, qsTr("Die vorhandenen Artikelgruppen konnten nicht gelesen werden; nichts wurde angelegt")))
                return
            }
            var existing = ArticleGroups.groupKeys(groups)
            var todo = []
            for (var i = 0; i < rows.count; ++i) {
                var row = rows.get(i)
                if (row.state !== "ready" && row.state !== "failed")
                    continue
                if (existing[ArticleGroups.groupKey(row)]) {
                    _mark(i, "exists", qsTr("bereits vorhanden"))
                    continue
                }
                _mark(i, "ready", qsTr("wartet"))
                todo.push(i)
            }
            _total = todo.length
            _resolveCategories(todo, serial, function (categories) {
                _createGroups(todo, 0, categories, existing, serial)
            })
        })
    }

    // ---- checking after a load

    // The backend's groups and every customer the rows name, both before anything is created.
    function _check(serial) {
        _checking = true
        var customers = []
        for (var i = 0; i < rows.count; ++i) {
            var id = rows.get(i).customer_id
            if (rows.get(i).state === "ready" && id !== "" && customers.indexOf(id) < 0)
                customers.push(id)
        }
        ServiceWarehouse.get_all_articlegroup(Dynamic.getToken(), function (groups, status) {
            if (serial !== _serial)
                return
            if (Request.isList(groups)) {
                var existing = ArticleGroups.groupKeys(groups)
                for (var r = 0; r < rows.count; ++r) {
                    if (rows.get(r).state === "ready" && existing[ArticleGroups.groupKey(rows.get(r))])
                        _mark(r, "exists", qsTr("bereits vorhanden"))
                }
            } else {
                failed(ArticleGroups.failureReason(status, qsTr("Die vorhandenen Artikelgruppen konnten nicht gelesen werden")))
            }
            _checkCustomers(customers, 0, serial)
        })
    }

    // Asks for the customers one after the other; a row of a customer the
    // backend does not know, or could not be asked about, is not imported.
    function _checkCustomers(customers, index, serial) {
        if (index >= customers.length) {
            _checking = false
            checked()
            return
        }
        var id = customers[index]
        ServiceCustomer.get_customer(id, Dynamic.getToken(), function (customer, status) {
            if (serial !== _serial)
                return
            if (!Request.isRecord(customer)) {
                var problem = status === 406 ? qsTr("Kunde %1 unbekannt").arg(id)
                                             : qsTr("Kunde %1 nicht geprüft").arg(id)
                if (status !== 406)
                    failed(ArticleGroups.failureReason(status, qsTr("Der Kunde %1 konnte nicht geprüft werden").arg(id)))
                for (var r = 0; r < rows.count; ++r) {
                    var row = rows.get(r)
                    if (row.customer_id === id && row.state !== "problem")
                        _mark(r, "problem", problem, true)
                }
            }
            _checkCustomers(customers, index + 1, serial)
        })
    }

    // ---- running

    // Finds or creates each category the rows name, once per name (ignoring
    // case), one after the other; then(categories) gets {lower-case name: {id} or {reason}}.
    function _resolveCategories(todo, serial, then) {
        var names = []
        var categories = ({})
        for (var i = 0; i < todo.length; ++i) {
            var name = rows.get(todo[i]).category
            var lower = name.toLowerCase()
            if (name.trim() !== "" && categories[lower] === undefined) {
                categories[lower] = null
                names.push(name)
            }
        }
        var next = function (index) {
            if (serial !== _serial)
                return
            if (index >= names.length) {
                then(categories)
                return
            }
            ArticleGroups.resolveCategory(names[index], Dynamic.getToken(), function (id, reason) {
                categories[names[index].toLowerCase()] = id === undefined ? { "reason": reason } : { "id": id }
                next(index + 1)
            })
        }
        next(0)
    }

    // Creates the groups of `todo` from position `index` on, one at a time.
    function _createGroups(todo, index, categories, existing, serial) {
        if (serial !== _serial)
            return
        if (index >= todo.length) {
            _finish()
            return
        }
        var at = todo[index]
        var row = rows.get(at)
        var key = ArticleGroups.groupKey(row)
        var category = row.category.trim() === "" ? { "id": undefined } : categories[row.category.toLowerCase()]
        if (category.reason !== undefined) {
            ++_failedNow
            _mark(at, "failed", category.reason)
            _done = index + 1
            _createGroups(todo, index + 1, categories, existing, serial)
            return
        }
        rows.setProperty(at, "result", qsTr("wird angelegt"))
        ServiceWarehouse.add_articlegroup(row.articlename, row.articleno, row.farbe, row.size, row.typ, row.quantity,
                                          row.storage_location, category.id, row.customer_id, Dynamic.getToken(),
                                          function (group, status) {
            if (serial !== _serial)
                return
            _done = index + 1
            // a 2xx is a created group, also when its reply cannot be read
            if (Request.isRecord(group) || Request.isSuccess(status)) {
                ++_createdNow
                existing[key] = true
                _mark(at, "created", Request.isRecord(group) ? qsTr("angelegt (Nr. %1)").arg(group.id) : qsTr("angelegt"))
            } else {
                ++_failedNow
                // without a whole reply it may have been created: the next run's check knows
                _mark(at, "failed", status ? ArticleGroups.failureReason(status, qsTr("nicht angelegt"))
                                           : qsTr("keine vollständige Antwort; ob angelegt, prüft der nächste Lauf"))
                if (!status) {
                    // without a connection the rest would fail alike: a later run does them
                    for (var rest = index + 1; rest < todo.length; ++rest)
                        rows.setProperty(todo[rest], "result", qsTr("nicht versucht"))
                    _finish()
                    return
                }
            }
            _createGroups(todo, index + 1, categories, existing, serial)
        })
    }

    function _finish() {
        _running = false
        // this run's outcome; groups an earlier run created count as there already
        finished({
            "created": _createdNow,
            "exists": _counts.exists + _counts.created - _createdNow,
            "failed": _failedNow,
            "skipped": _counts.problem + _counts.ready
        })
    }

    // ---- helpers

    // Sets a row's state and result; `addProblem` adds the result to its problems.
    function _mark(index, state, result, addProblem) {
        var before = rows.get(index).state
        rows.setProperty(index, "state", state)
        if (addProblem) {
            var problems = rows.get(index).problems
            result = problems === "" ? result : problems + "; " + result
            rows.setProperty(index, "problems", result)
        }
        rows.setProperty(index, "result", result)
        if (before !== state) {
            // a new object, so that bindings to the counts notice
            var counts = Object.assign({}, _counts)
            --counts[before]
            ++counts[state]
            _counts = counts
        }
    }

    function _noCounts() {
        return { "problem": 0, "ready": 0, "exists": 0, "created": 0, "failed": 0 }
    }

    property string _error: ""
    property bool _checking: false
    property bool _running: false
    property int _done: 0
    property int _total: 0
    // how many rows are in each state
    property var _counts: _noCounts()
    property int _createdNow: 0
    property int _failedNow: 0
    // a new load makes the replies of the previous one's requests stale
    property int _serial: 0
    property ArticleGroupCsv _csv: ArticleGroupCsv {}
}
