import QtQml 2.15
import PrivateFiles 1.0

import "../../../static/NotificationState.js" as NotificationState
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups

// The generation of the delivery note (part of Warehouse, which the views
// call): generates the open delivery order's note and fetches its document. Asking
// to generate closes the delivery order on the backend, so a reply that does
// not arrive whole (a dropped connection, an unreadable or cut body) says
// nothing about what happened: then the delivery order is looked at again.
// Still open: it was not generated. Generated (or no longer open): its
// document is asked for again, which a backend answers with the same note;
// one that refuses is named as such. Until the document is there, `pending`
// holds the delivery order and fetchAgain() tries once more. A note that
// arrived is saved as a PDF in the private temporary directory and opened.
QtObject {
    id: _generation

    // must set: the session (token) the requests are made with
    property var session: null
    // must set: hands a saved note (a file URL) to the desktop; true when it could
    property var openFile: null
    // true while a request is outstanding
    readonly property bool busy: _busy
    // the delivery order ({id, deliveryorders_no}) whose note was generated, or
    // may have been, while its document has not arrived; null otherwise
    readonly property var pending: _pending
    // whether `pending` is known to be generated (false: that is still unclear)
    readonly property bool pendingKnown: _pendingKnown

    // the note of `order` arrived whole; it is saved and opened next
    signal delivered(var order)
    // what the user should know: [title, text, state]
    signal reported(var settings)
    // the delivery order was closed, or may have been: what shows it loads again
    signal stockChanged()

    // Generates the note of the delivery order that is open now.
    function generate() {
        if (_busy)
            return
        _busy = true
        ServiceWarehouse.check_last_item(_token(), function (reply, status) {
            if (!Request.isList(reply)) {
                _fail(qsTr("Lieferschein nicht erstellt"),
                      ArticleGroups.failureReason(status, qsTr("Der offene Lieferschein konnte nicht gelesen werden")))
                return
            }
            if (reply.length === 0 || !Request.isRecord(reply[0])) {
                _busy = false
                reported([qsTr("Kein offener Lieferschein"), qsTr("Es gibt keinen Lieferschein, der erstellt werden kann"),
                          NotificationState.WARNING])
                return
            }
            var order = reply[0]
            ServiceWarehouse.generate_transaction(order.id, _token(), function (bytes, status) {
                if (isWholePdf(bytes))
                    _deliver(order, bytes, false)
                else
                    _lookAgain(order, status)
            })
        })
    }

    // Tries again to get the document of `pending`: asks for it, or, while it
    // is unclear whether it was generated, looks at the delivery order first.
    function fetchAgain() {
        if (_busy || _pending === null)
            return
        _busy = true
        if (_pendingKnown)
            _fetch(_pending, true)
        else
            _lookAgain(_pending, 0)
    }

    // Whether the bytes are a whole PDF document: its head, and the end mark
    // near its end (not an error page, not a document cut short).
    function isWholePdf(bytes) {
        if (!(bytes instanceof ArrayBuffer) || bytes.byteLength < 10)
            return false
        var view = new Uint8Array(bytes)
        if (String.fromCharCode(view[0], view[1], view[2], view[3], view[4]) !== "%PDF-")
            return false
        var tail = ""
        for (var i = Math.max(0, view.length - 1024); i < view.length; ++i)
            tail += String.fromCharCode(view[i])
        return tail.indexOf("%%EOF") >= 0
    }

    // After a reply that was no document: is the delivery order still open?
    // `status` is that reply's (0: none came).
    function _lookAgain(order, status) {
        ServiceWarehouse.get_last_deliveryno(_token(), function (reply) {
            if (!Request.isList(reply)) {
                _keep(order, false, qsTr("Lieferschein unklar"),
                      qsTr("Die Antwort auf „Erstellen“ kam nicht vollständig an, und der Server gibt keine Auskunft: "
                           + "ob der Lieferschein %1 erstellt wurde, ist offen. Prüfen Sie es erneut.")
                      .arg(order.deliveryorders_no))
                return
            }
            var last = reply.length > 0 && Request.isRecord(reply[0]) ? reply[0] : null
            if (last && last.id === order.id && last.created !== true) {
                _pending = null
                _fail(qsTr("Lieferschein nicht erstellt"),
                      qsTr("Der Lieferschein %1 wurde nicht erstellt").arg(order.deliveryorders_no) + _why(status))
                return
            }
            _fetch(order, last !== null && last.id === order.id && last.created === true)
        })
    }

    // Asks for the document of a delivery order that is no longer open;
    // `known`: it is known to be generated.
    function _fetch(order, known) {
        ServiceWarehouse.generate_transaction(order.id, _token(), function (bytes, status) {
            if (isWholePdf(bytes)) {
                _deliver(order, bytes, true)
                return
            }
            var number = order.deliveryorders_no
            var title = known ? qsTr("Lieferschein erstellt, Dokument fehlt") : qsTr("Dokument des Lieferscheins fehlt")
            var what = known ? qsTr("Der Lieferschein %1 ist erstellt").arg(number)
                             : qsTr("Der Lieferschein %1 ist nicht mehr offen").arg(number)
            if (!status || Request.isSuccess(status)) {
                _keep(order, known, title,
                      what + qsTr(", sein Dokument kam aber nicht an") + _why(status) + qsTr(". Laden Sie es erneut."))
                return
            }
            _pending = null
            _fail(title,
                  what + qsTr(", aber sein Dokument kam nicht an, und der Server gibt es nicht noch einmal heraus (Status %1).")
                  .arg(status))
        })
    }

    // why a reply was no document, for a text that continues after it
    function _why(status) {
        // no status: the connection closed early or never opened, or the
        // engine's request hid the status of a refusal (it does so for 409)
        if (!status)
            return qsTr(": keine vollständige Antwort vom Server")
        if (Request.isSuccess(status))
            return qsTr(": die Antwort des Servers war unlesbar")
        return qsTr(" (Status %1)").arg(status)
    }

    function _token() {
        return session ? session.token : ""
    }

    function _deliver(order, bytes, again) {
        _busy = false
        _pending = null
        delivered(order)
        if (again)
            reported([qsTr("Lieferschein erstellt"),
                      qsTr("Der Lieferschein %1 ist erstellt; die erste Antwort kam nicht vollständig an, "
                           + "sein Dokument wurde noch einmal geholt").arg(order.deliveryorders_no),
                      NotificationState.SUCCESS])
        // the delivery order is closed now
        stockChanged()
        _open(order, bytes)
    }

    function _open(order, bytes) {
        var url = PrivateFiles.save(qsTr("Lieferschein-%1.pdf").arg(order.deliveryorders_no), bytes)
        if (String(url) === "") {
            reported([qsTr("Lieferschein nicht gespeichert"),
                      qsTr("Der Lieferschein %1 ist erstellt, konnte aber nicht gespeichert werden").arg(order.deliveryorders_no),
                      NotificationState.ERROR])
            return
        }
        if (!openFile(url))
            reported([qsTr("Lieferschein nicht geöffnet"),
                      qsTr("Der Lieferschein liegt unter %1").arg(decodeURIComponent(String(url).replace(/^file:\/\//, ""))),
                      NotificationState.ERROR])
    }

    // the document is still to be had: fetchAgain() asks for it
    function _keep(order, known, title, text) {
        _pending = order
        _pendingKnown = known
        _fail(title, text)
    }

    // the delivery order may be closed now
    function _fail(title, text) {
        _busy = false
        reported([title, text, NotificationState.ERROR])
        stockChanged()
    }

    property bool _busy: false
    property var _pending: null
    property bool _pendingKnown: false
}
