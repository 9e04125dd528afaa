import QtQuick 2.15

import "../dynamic/variables.js" as Dynamic
import "./api/request.js" as Request
import "./api/service_warehouse.js" as ServiceWarehouse

// What the warehouse submenu knows about the open delivery order, and the
// opening of a new one. Stock can only be booked against an open delivery
// order, and only one may be open, so the submenu offers either the booking or
// a new delivery order.
QtObject {
    id: _state

    // true: a delivery order is open; false: none is; undefined: not known yet
    property var open: undefined
    // true while a request is outstanding
    readonly property bool busy: _pending > 0
    // true from choosing a customer until the check after the new delivery
    // order has answered: until then nobody may ask for another one
    readonly property bool creating: _creating

    // a delivery order was not opened; title and text are meant for the user
    signal failed(string title, string text)
    // a check did not reach the backend or could not be read; what was known stays
    signal checkFailed()

    // asks the backend whether a delivery order is open (check_last_created)
    function check() {
        _ask(function () {})
    }

    // restarts the token poll, which checks at its next tick once logged in
    function restartPoll() {
        _poll.restart()
    }

    // opens the next delivery order for the customer with this id, unless one
    // is open by now; one creation at a time
    function create(customerId) {
        if (_creating)
            return
        _creating = true
        // ask again right before: the state shown may be older than another
        // user's (or an earlier click's) delivery order
        _ask(function (reply) {
            if (!Request.isList(reply)) {
                _creating = false // the check has reported itself
                return
            }
            if (reply.length > 0) {
                _creating = false
                failed(qsTr("Lieferschein nicht angelegt"), qsTr("Es ist noch ein Lieferschein offen"))
                return
            }
            _addNext(customerId)
        })
    }

    function _addNext(customerId) {
        ++_pending
        ServiceWarehouse.get_last_deliveryno(Dynamic.getToken(), function (reply) {
            --_pending
            var number = _nextNumber(reply)
            if (number === undefined) {
                failed(qsTr("Lieferschein nicht angelegt"),
                       qsTr("Die letzte Lieferscheinnummer konnte nicht gelesen werden"))
                _checkAfterCreating()
                return
            }
            ++_pending
            ServiceWarehouse.add_deliveryorder(new Date(), number, false, customerId, Dynamic.getToken(),
                                               function (answer, status) {
                --_pending
                var notCreated = function () {
                    failed(qsTr("Lieferschein nicht angelegt"),
                           qsTr("Der Lieferschein %1 konnte nicht angelegt werden").arg(number))
                }
                if (!Request.isRecord(answer) && (Request.isSuccess(status) || !status)) {
                    // stored with an unreadable reply, or maybe (no whole reply): the check tells
                    _checkAfterCreating(function (reply) {
                        if (Request.isList(reply) && reply.length === 0)
                            notCreated()
                    })
                    return
                }
                if (!Request.isRecord(answer))
                    notCreated()
                _checkAfterCreating()
            })
        })
    }

    // the check after a creation; creating ends only when it has answered,
    // then `then(reply)` runs, if given
    function _checkAfterCreating(then) {
        _ask(function (reply) {
            _creating = false
            if (then)
                then(reply)
        })
    }

    // Sends a check, takes its answer unless the answer of a later check has
    // been taken already, then runs `then(reply)`. An answer that overtakes an
    // earlier one still counts: it is the newest the backend has said.
    function _ask(then) {
        var serial = ++_checkSerial
        ++_pending
        ServiceWarehouse.check_last_item(Dynamic.getToken(), function (reply) {
            --_pending
            if (Request.isList(reply)) {
                if (serial > _takenSerial) {
                    _takenSerial = serial
                    open = reply.length > 0
                }
            } else if (serial === _checkSerial) {
                checkFailed() // says nothing about the delivery orders: keep what was known
            }
            then(reply)
        })
    }

    // the number after the last one, 1 for the first ever; undefined when the reply is unusable
    function _nextNumber(reply) {
        if (!Request.isList(reply))
            return undefined
        if (reply.length === 0)
            return 1
        var last = Request.isRecord(reply[0]) ? Number(reply[0].deliveryorders_no) : NaN
        return isFinite(last) ? last + 1 : undefined
    }

    property int _pending: 0
    property bool _creating: false
    property int _checkSerial: 0
    // the serial of the check whose answer `open` holds
    property int _takenSerial: 0

    // Until the first login there is no token to ask with; poll for it.
    property Timer _poll: Timer {
        interval: 500
        repeat: true
        running: true
        onTriggered: {
            if (Dynamic.getToken() === "")
                return
            stop()
            _state.check()
        }
    }
}
