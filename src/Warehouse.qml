import QtQml 2.15

import "../static/NotificationState.js" as NotificationState
import "./api/request.js" as Request
import "./api/service_warehouse.js" as ServiceWarehouse
import "./views/lager"
import "./views/lager/articlegroups.js" as ArticleGroups

// The warehouse's state and its workflows, for the submenu and the warehouse
// views alike: the open delivery order as the backend last reported it
// (stock is booked only against an open delivery order, and only one may be
// open), opening a new one for a customer, booking stock, removing a
// booking, cancelling the open delivery order and generating its delivery
// note. It makes every request, owns the busy state and says what came of
// each workflow (reported); the views call it, bind to it and show its
// messages. The open delivery order is read at each login.
//
// One instance, owned by the working surface and handed down like the
// session and the notifier, rather than a singleton: it serves the session
// it is given and lives as long as the surface that shows it, and a test
// makes one of its own against a session of its own.
QtObject {
    id: _warehouse

    // must set: the session (loggedIn, token) the requests are made with
    property var session: null
    // Hands a saved delivery note (a file URL) to the desktop; true when it
    // could. Tests replace it, so that no viewer starts.
    property var openFile: function (url) {
        return Qt.openUrlExternally(url)
    }

    // true: a delivery order is open; false: none is; undefined: not known yet
    readonly property var open: _open
    // the open delivery order ({id, deliveryorders_no, ...}) as last read; null when none is open or not known
    readonly property var openOrder: _openOrder
    // true while the open delivery order is read, or a new one is opened
    readonly property bool checking: _pending > 0 || _checkQueued
    // true from choosing a customer until the check after the new delivery
    // order has answered: until then nobody may ask for another one
    readonly property bool creating: _creating
    // true while a booking is outstanding or scans wait; no booking by book() starts meanwhile
    readonly property bool booking: _booking.busy
    // scans waiting behind the booking outstanding
    readonly property int scansWaiting: _booking.waiting
    // true from cancel() until the cancel ended, also while the user is asked
    readonly property bool cancelling: _cancel.running
    // true while a delivery note is generated or its document fetched
    readonly property bool generating: _notes.busy
    // the delivery order ({id, deliveryorders_no}) whose note was, or may have
    // been, generated while its document has not arrived; null otherwise
    readonly property var pendingNote: _notes.pending
    // whether `pendingNote` is known to be generated (false: still unclear)
    readonly property bool pendingNoteKnown: _notes.pendingKnown
    // true while any request of the warehouse is outstanding
    readonly property bool busy: checking || booking || generating || _cancel.busy || _removals > 0

    // What came of a workflow, for the user: `settings` is [title, text,
    // state]. `workflow`: "check" (the open delivery order could not be
    // read), "opening" (a new delivery order), "booking", "stock" (removing a
    // booking, cancelling), "note" (the delivery note).
    signal reported(string workflow, var settings)
    // a booking is complete: the stock entry exists and the group's quantity
    // is lowered; `entry` is {ean, quantity, groupId, remaining, scanned}
    signal booked(var entry)
    // a booking ended without booking; why went to reported; `entry` is {ean, quantity, groupId, scanned}
    signal refused(var entry)
    // the cancel asks first: answer with confirmCancel() or declineCancel()
    signal cancelQuestion(string question)
    // the note of the delivery order `order` has arrived; it is saved and opened next
    signal noteDelivered(var order)
    // bookings or the open delivery order changed, or may have: what shows them loads again
    signal stockChanged()

    // Reads whether a delivery order is open, right after the current event
    // (calls meanwhile read once); nothing while logged out.
    function check() {
        if (_checkQueued || !_loggedIn)
            return
        _checkQueued = true
        Qt.callLater(_sendQueuedCheck)
    }

    // Opens the next delivery order for the customer with this id, unless one
    // is open by now; one at a time.
    function openDeliveryOrder(customerId) {
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
                _notOpened(qsTr("Es ist noch ein Lieferschein offen"))
                return
            }
            _addNext(customerId)
        })
    }

    // Books `quantity` pieces of the group `groupId` ("" when none is
    // chosen), of which `available` are still to be booked, under `ean`.
    function book(ean, quantity, groupId, available) {
        _booking.book(ean, quantity, groupId, available)
    }

    // A scanned booking: like book(), but one that comes while another is
    // outstanding waits and is booked after it, in the order of the scans.
    function scan(ean, quantity, groupId, available) {
        _booking.scan(ean, quantity, groupId, available)
    }

    // Removes the booking with this id (the backend gives its pieces back to
    // the group); once, whatever the clicks while it is under way.
    function removeBooking(id) {
        if (_removing[id])
            return
        _removing[id] = true
        ++_removals
        ServiceWarehouse.delete_item_articleinventory(id, _token(), function (reply, status) {
            --_removals
            delete _removing[id]
            if (Request.isFailure(reply))
                _report("stock", qsTr("Artikelbestand nicht entfernt"),
                        ArticleGroups.failureReason(status, qsTr("Die Buchung konnte nicht entfernt werden")))
            else
                console.log("API:.....Articleinventory item gelöscht")
            _changed()
        })
    }

    // Cancels the open delivery order with its bookings, after asking (cancelQuestion).
    function cancel() {
        _cancel.start()
    }

    // the answers to cancelQuestion
    function confirmCancel() {
        _cancel.confirm()
    }
    function declineCancel() {
        _cancel.decline()
    }

    // Generates the open delivery order's note, saves it as a PDF in the
    // private temporary directory and opens it; while a generated note's
    // document is missing (pendingNote), asks for that document again instead.
    function generateNote() {
        if (_notes.pending !== null)
            _notes.fetchAgain()
        else
            _notes.generate()
    }

    readonly property bool _loggedIn: !!session && session.loggedIn === true

    function _token() {
        return session ? session.token : ""
    }

    function _report(workflow, title, text, state) {
        reported(workflow, [title, text, state === undefined ? NotificationState.ERROR : state])
    }

    // the stock changed: the open delivery order is read again, and the views reload
    function _changed() {
        check()
        stockChanged()
    }

    function _notOpened(text) {
        _report("opening", qsTr("Lieferschein nicht angelegt"), text)
    }

    function _addNext(customerId) {
        ++_pending
        ServiceWarehouse.get_last_deliveryno(_token(), function (reply) {
            --_pending
            var number = ArticleGroups.nextDeliveryOrderNumber(reply)
            if (number === undefined) {
                _notOpened(qsTr("Die letzte Lieferscheinnummer konnte nicht gelesen werden"))
                _checkAfterCreating()
                return
            }
            ++_pending
            ServiceWarehouse.add_deliveryorder(new Date(), number, false, customerId, _token(), function (answer, status) {
                --_pending
                var notCreated = qsTr("Der Lieferschein %1 konnte nicht angelegt werden").arg(number)
                if (!Request.isRecord(answer) && (Request.isSuccess(status) || !status)) {
                    // stored with an unreadable reply, or maybe (no whole reply): the check tells
                    _checkAfterCreating(function (reply) {
                        if (Request.isList(reply) && reply.length === 0)
                            _notOpened(notCreated)
                    })
                    return
                }
                if (!Request.isRecord(answer))
                    _notOpened(notCreated)
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

    function _sendQueuedCheck() {
        _checkQueued = false
        if (_loggedIn)
            _ask(null)
    }

    // Sends a check, takes its answer unless the answer of a later check has
    // been taken already, then runs `then(reply)`. An answer that overtakes an
    // earlier one still counts: it is the newest the backend has said. An
    // answer to a check sent before a logout counts no more.
    function _ask(then) {
        var serial = ++_checkSerial
        var epoch = _epoch
        ++_pending
        ServiceWarehouse.check_last_item(_token(), function (reply, status) {
            --_pending
            if (epoch === _epoch && Request.isList(reply)) {
                if (serial > _takenSerial) {
                    _takenSerial = serial
                    _open = reply.length > 0
                    _openOrder = reply.length > 0 && Request.isRecord(reply[0]) ? reply[0] : null
                }
            } else if (epoch === _epoch && serial === _checkSerial) {
                // says nothing about the delivery orders: what was known stays
                _report("check", qsTr("Lieferschein nicht gelesen"),
                        ArticleGroups.failureReason(status, qsTr("Der offene Lieferschein konnte nicht gelesen werden")))
            }
            if (then)
                then(reply)
        })
    }

    // a login reads the open delivery order; a logout voids the checks on their way
    on_LoggedInChanged: {
        if (_loggedIn)
            check()
        else
            ++_epoch
    }
    Component.onCompleted: check()

    property var _open: undefined
    property var _openOrder: null
    property bool _creating: false
    // requests about the open delivery order outstanding
    property int _pending: 0
    property bool _checkQueued: false
    property int _checkSerial: 0
    // the serial of the check whose answer `open` holds
    property int _takenSerial: 0
    // one more at each logout
    property int _epoch: 0
    property int _removals: 0
    // the ids of the bookings being removed
    property var _removing: ({})

    property StockBooking _booking: StockBooking {
        session: _warehouse.session
        onBooked: _warehouse.booked(entry)
        onRefused: _warehouse.refused(entry)
        onReported: _warehouse.reported("booking", settings)
    }

    property DeliveryOrderCancel _cancel: DeliveryOrderCancel {
        session: _warehouse.session
        onQuestion: _warehouse.cancelQuestion(question)
        onReported: _warehouse.reported("stock", settings)
        onStockChanged: _warehouse._changed()
    }

    property DeliveryNoteGeneration _notes: DeliveryNoteGeneration {
        session: _warehouse.session
        openFile: function (url) {
            return _warehouse.openFile(url)
        }
        onDelivered: _warehouse.noteDelivered(order)
        onReported: _warehouse.reported("note", settings)
        onStockChanged: _warehouse._changed()
    }
}
