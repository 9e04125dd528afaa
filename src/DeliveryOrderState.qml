import QtQuick 2.15

// Produktiv
// import "qrc:/dynamic/variables.js" as Dynamic
// import "qrc:/src/api/service_warehouse.js" as ServiceWarehouse

// Testing
import "../dynamic/variables.js" as Dynamic
import "./api/service_warehouse.js" as ServiceWarehouse

// What the warehouse submenu knows about the open delivery order, and the
// opening of a new one. Stock can only be booked against an open delivery
// order, so the submenu offers either the booking or a new delivery order.
QtObject {
    id: _state

    // true: a delivery order is open; false: none is; undefined: not known yet
    property var open: undefined
    // true while a request is outstanding
    readonly property bool busy: _pending > 0
    // true from choosing a customer until the new delivery order is answered
    readonly property bool creating: _creating > 0

    // a request failed; title and text are meant for the user
    signal failed(string title, string text)

    // asks the backend whether a delivery order is open (check_last_created)
    function check() {
        var serial = ++_checkSerial
        ++_pending
        ServiceWarehouse.check_last_item(Dynamic.getToken(), function (reply) {
            --_pending
            // a later check has been asked for; its answer counts
            if (serial !== _checkSerial)
                return
            // an error reply is not a list: then nothing is known to be open
            open = Array.isArray(reply) && reply.length > 0
        })
    }

    // restarts the token poll, which checks at its next tick once logged in
    function restartPoll() {
        _poll.restart()
    }

    // opens the next delivery order for the customer with this id
    function create(customerId) {
        ++_creating
        ++_pending
        ServiceWarehouse.get_last_deliveryno(Dynamic.getToken(), function (reply) {
            --_pending
            var number = _nextNumber(reply)
            if (number === undefined) {
                --_creating
                failed(qsTr("Lieferschein nicht angelegt"),
                       qsTr("Die letzte Lieferscheinnummer konnte nicht gelesen werden"))
                check()
                return
            }
            ++_pending
            ServiceWarehouse.add_deliveryorder(new Date(), number, false, customerId, Dynamic.getToken(),
                                               function (answer) {
                --_pending
                --_creating
                if (answer === null || typeof answer !== "object" || Array.isArray(answer))
                    failed(qsTr("Lieferschein nicht angelegt"),
                           qsTr("Der Lieferschein %1 konnte nicht angelegt werden").arg(number))
                check()
            })
        })
    }

    // the number after the last one, 1 for the first ever; undefined when the reply is unusable
    function _nextNumber(reply) {
        if (!Array.isArray(reply))
            return undefined
        if (reply.length === 0)
            return 1
        var last = Number(reply[0].deliveryorders_no)
        return isFinite(last) ? last + 1 : undefined
    }

    property int _pending: 0
    property int _creating: 0
    property int _checkSerial: 0

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
