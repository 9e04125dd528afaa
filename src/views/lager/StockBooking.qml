import QtQml 2.15
import ArticleGroupCsv 1.0

import "../../../static/NotificationState.js" as NotificationState
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups

// The booking workflow of the warehouse (part of Warehouse, which the views
// call): books pieces of an article group under an EAN against the open
// delivery order. A booking is the stock entry and, only after it exists, the
// group's lowered quantity; when the lowering fails the entry is taken back,
// so that stock and group never disagree.
QtObject {
    id: _booking

    // must set: the session (token) the requests are made with
    property var session: null
    // true while a booking is outstanding or waiting
    readonly property bool busy: _busy || _waitingCount > 0
    // scans waiting behind the booking outstanding
    readonly property int waiting: _waitingCount

    // the booking is complete: the form may empty, the confirmation show;
    // `entry` is {ean, quantity, groupId, remaining, scanned}
    signal booked(var entry)
    // a booking ended without booking (refused or failed); the reason went to reported
    signal refused(var entry)
    // what the user should know: [title, text, state]
    signal reported(var settings)

    // Books `quantity` pieces of the group `groupId` (its id as text; "":
    // none chosen), whose quantity still to be booked is `available`, under
    // the EAN `ean`: the open delivery order's number, the stock entry, then
    // the group's new quantity. Nothing while a booking is outstanding, and
    // nothing without a group or with pieces against the article groups' rule.
    function book(ean, quantity, groupId, available) {
        if (busy)
            return
        _start(_entry(ean, quantity, groupId, available, false))
    }

    // A scan: books like book(), but never drops it; while a booking is
    // outstanding it waits and goes after those scanned before it, in order.
    // Its `available` is taken as known now; the pieces booked of the same
    // group before its turn are counted off.
    function scan(ean, quantity, groupId, available) {
        var entry = _entry(ean, quantity, groupId, available, true)
        if (busy) {
            _waiting.push(entry)
            _waitingCount = _waiting.length
        } else {
            _start(entry)
        }
    }

    function _entry(ean, quantity, groupId, available, scanned) {
        return { "ean": String(ean), "quantity": quantity, "groupId": groupId, "available": available,
                 "scanned": scanned, "bookedBefore": _bookedOf(groupId) }
    }

    function _bookedOf(groupId) {
        return _booked[groupId] === undefined ? 0 : _booked[groupId]
    }

    function _start(entry) {
        var groupId = entry.groupId
        var quantity = entry.quantity
        // what was booked of the group since the entry was made is gone already
        var available = entry.available - (_bookedOf(groupId) - entry.bookedBefore)
        var ean = entry.ean
        _busy = true
        _current = entry
        if (groupId === "") {
            _end(entry, qsTr("Keine Artikelgruppe gewählt"),
                 qsTr("Wählen Sie zuerst eine Artikelgruppe aus; nichts wurde gebucht"), NotificationState.WARNING)
            return
        }
        // pieces by the article groups' rule: a whole number of at least 1
        var problems = _rule.quantityProblems(String(quantity))
        if (problems.length > 0) {
            _end(entry, qsTr("Nichts gebucht"), problems.join("; "), NotificationState.WARNING)
            return
        }
        // a scan is not held back by the form's upper bound: the group must still have the pieces
        if (entry.scanned && quantity > available) {
            _end(entry, qsTr("Nichts gebucht"),
                 qsTr("Von der Artikelgruppe sind nur noch %1 Stück zu buchen; EAN \"%2\" wurde nicht gebucht")
                 .arg(Math.max(available, 0)).arg(ean), NotificationState.WARNING)
            return
        }
        ServiceWarehouse.get_last_deliveryno(_token(), function (reply, status) {
            if (!Request.isList(reply)) {
                _failed(qsTr("Nichts gebucht"), ArticleGroups.failureReason(
                            status, qsTr("Der offene Lieferschein konnte nicht gelesen werden")))
                return
            }
            // the latest delivery order may have been generated: it takes no stock
            var last = reply.length > 0 && Request.isRecord(reply[0]) ? reply[0] : null
            if (!last || last.created === true || last.deliveryorders_no === undefined) {
                _end(entry, qsTr("Kein offener Lieferschein"),
                     qsTr("Legen Sie zuerst einen neuen Lieferschein an; nichts wurde gebucht"), NotificationState.WARNING)
                return
            }
            ServiceWarehouse.add_articleinventory(ean, quantity, groupId, last.deliveryorders_no, _token(),
                                                  function (entry, status) {
                if (Request.isRecord(entry)) {
                    _lower(groupId, available - quantity, entry, available)
                } else if (Request.isSuccess(status)) {
                    // stored, but the reply could not be read: the entry's id is unknown
                    _lower(groupId, available - quantity, { "eanno": ean }, available)
                } else if (!status) {
                    // the request may have reached the backend: booking again could book twice
                    _failed(qsTr("Buchung unklar"),
                            qsTr("Auf „Speichern“ kam keine vollständige Antwort: ob der Artikelbestand gebucht wurde, "
                                 + "ist unklar. Sehen Sie in der Artikelbestand Übersicht nach, bevor Sie noch einmal buchen."))
                } else {
                    _failed(qsTr("Nichts gebucht"), ArticleGroups.failureReason(
                                status, qsTr("Der Artikelbestand konnte nicht gebucht werden")))
                }
            })
        })
    }

    // Sets the group's quantity still to be booked to `remaining` after the
    // stock entry `entry` was made ({eanno} only, when its reply was
    // unreadable); takes the entry back when that fails.
    function _lower(groupId, remaining, entry, available) {
        ServiceWarehouse.update_articlegroup_quantity(groupId, remaining, _token(), function (reply) {
            if (Request.isFailure(reply)) {
                _takeBack(groupId, entry, available)
                return
            }
            var done = _current
            _booked[groupId] = _bookedOf(groupId) + done.quantity
            _busy = false
            _current = null
            booked({ "ean": done.ean, "quantity": done.quantity, "groupId": groupId,
                     "remaining": remaining, "scanned": done.scanned })
            _next()
        })
    }

    // The group's quantity could not be lowered: the stock entry goes again.
    // The backend gives a deleted entry's pieces back to its group, pieces this
    // booking never took; so the group is then set back to the quantity it
    // had before (which is also right if the lowering did reach the backend).
    function _takeBack(groupId, entry, available) {
        if (entry.id === undefined) {
            _failed(qsTr("Buchung unvollständig"),
                    qsTr("Die Menge der Artikelgruppe wurde nicht gesenkt, und die Buchung der EAN \"%1\" ist gespeichert; "
                         + "entfernen Sie sie in der Übersicht").arg(entry.eanno))
            return
        }
        ServiceWarehouse.delete_item_articleinventory(entry.id, _token(), function (deleted, status) {
            if (Request.isFailure(deleted)) {
                _failed(qsTr("Buchung unvollständig"),
                        ArticleGroups.failureReason(status, qsTr("Die Menge der Artikelgruppe wurde nicht gesenkt, und die Buchung der EAN \"%1\" "
                                                                 + "konnte nicht zurückgenommen werden; entfernen Sie sie in der Übersicht")
                                                            .arg(entry.eanno)))
                return
            }
            ServiceWarehouse.update_articlegroup_quantity(groupId, available, _token(), function (reply, status) {
                if (Request.isFailure(reply)) {
                    _failed(qsTr("Nichts gebucht"),
                            ArticleGroups.failureReason(status, qsTr("Die Buchung wurde zurückgenommen; die Menge der Artikelgruppe "
                                                                     + "sollte %1 sein, konnte aber nicht gesetzt werden").arg(available)))
                    return
                }
                _failed(qsTr("Nichts gebucht"),
                        qsTr("Die Menge der Artikelgruppe konnte nicht gesenkt werden; die Buchung wurde zurückgenommen"))
            })
        })
    }

    // Ends the booking outstanding, which failed.
    function _failed(title, text) {
        _end(_current, title, text, NotificationState.ERROR)
    }

    // Ends `entry` without a booking, says why, and goes on with the next scan.
    function _end(entry, title, text, state) {
        _busy = false
        _current = null
        _tell(title, text, state)
        refused({ "ean": entry.ean, "quantity": entry.quantity, "groupId": entry.groupId,
                  "scanned": entry.scanned, "title": title, "text": text })
        _next()
    }

    // the next scan waiting, after the current event: a long run of scans does not nest
    function _next() {
        if (_waiting.length > 0 && !_nextQueued) {
            _nextQueued = true
            Qt.callLater(_startNext)
        }
    }

    function _startNext() {
        _nextQueued = false
        if (_busy || _waiting.length === 0)
            return
        var entry = _waiting.shift()
        // busy throughout: the entry is under way before the count drops
        _busy = true
        _waitingCount = _waiting.length
        _start(entry)
    }

    function _tell(title, text, state) {
        reported([title, text, state])
    }

    function _token() {
        return session ? session.token : ""
    }

    property bool _busy: false
    // the booking outstanding, as made by _entry()
    property var _current: null
    // the scans waiting, in the order they came
    property var _waiting: []
    property int _waitingCount: 0
    property bool _nextQueued: false
    // pieces booked per group id since this object was made
    property var _booked: ({})
    // the article groups' rule, of which a booking's quantity follows the part on quantities
    property ArticleGroupCsv _rule: ArticleGroupCsv {}
}
