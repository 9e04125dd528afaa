import QtQml 2.15

import "../../../static/NotificationState.js" as NotificationState
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups

// The cancel of the open delivery order (part of Warehouse, which the views
// call): reads the delivery order and its bookings, asks the user, then
// deletes the bookings and, once they are gone, exactly that delivery order.
// The backend gives the deleted bookings' pieces back to their groups.
QtObject {
    id: _cancel

    // must set: the session (token) the requests are made with
    property var session: null
    // true from start() until the cancel ended, also while the user is asked
    readonly property bool running: _running
    // true while a request of the cancel is outstanding
    readonly property bool busy: _pending > 0

    // the user is to be asked `question`; answer with confirm() or decline()
    signal question(string question)
    // what the user should know: [title, text, state]
    signal reported(var settings)
    // the cancel ended in a way that may have changed the stock: what shows it loads again
    signal stockChanged()

    // Reads the open delivery order and its bookings, then asks. Once at a time.
    function start() {
        if (_running)
            return
        _running = true
        ++_pending
        ServiceWarehouse.get_last_deliveryno(_token(), function (reply, status) {
            --_pending
            if (!Request.isList(reply)) {
                _fail(ArticleGroups.failureReason(status, qsTr("Der Lieferschein konnte nicht gelesen werden")))
                return
            }
            var order = reply.length > 0 && Request.isRecord(reply[0]) ? reply[0] : null
            if (!order || order.created === true) {
                _end([qsTr("Kein offener Lieferschein"), qsTr("Es gibt keinen Lieferschein, der storniert werden kann"),
                      NotificationState.WARNING])
                return
            }
            ++_pending
            ServiceWarehouse.get_all_articleinventory(_token(), function (bookings, status) {
                --_pending
                if (!Request.isList(bookings)) {
                    _fail(ArticleGroups.failureReason(status, qsTr("Die Artikelbestände konnten nicht gelesen werden")))
                    return
                }
                var count = bookings.filter(function (b) { return b.deliveryorder_no === order.deliveryorders_no }).length
                _order = order
                question(count === 1
                         ? qsTr("Lieferschein Nr. %1 mit 1 Artikelbestand stornieren? Die Buchung wird gelöscht.")
                           .arg(order.deliveryorders_no)
                         : qsTr("Lieferschein Nr. %1 mit %2 Artikelbeständen stornieren? Alle Buchungen werden gelöscht.")
                           .arg(order.deliveryorders_no).arg(count))
            })
        })
    }

    // The user confirmed: deletes the bookings of the delivery order asked about, then the order itself.
    function confirm() {
        var order = _order
        if (!_running || order === null)
            return
        _order = null
        ++_pending
        ServiceWarehouse.delete_series_of_articleinventory(order.deliveryorders_no, _token(), function (reply, status) {
            --_pending
            if (Request.isFailure(reply)) {
                _fail(ArticleGroups.failureReason(status, qsTr("Die Artikelbestände des Lieferscheins %1 konnten nicht gelöscht werden")
                                                  .arg(order.deliveryorders_no)))
                return
            }
            console.log("API:.....Series gelöscht")
            ++_pending
            ServiceWarehouse.delete_last_created_deliveryorder(order.id, _token(), function (reply, status) {
                --_pending
                if (Request.isFailure(reply)) {
                    _fail(ArticleGroups.failureReason(status, qsTr("Die Buchungen sind gelöscht, der Lieferschein %1 selbst nicht")
                                                      .arg(order.deliveryorders_no)))
                    return
                }
                console.log("API:.....Series gelöscht")
                _end([qsTr("Lieferschein storniert"),
                      qsTr("Der Lieferschein %1 und seine Buchungen sind gelöscht").arg(order.deliveryorders_no),
                      NotificationState.SUCCESS])
            })
        })
    }

    // The user declined: nothing is sent.
    function decline() {
        if (_order === null)
            return
        _order = null
        _running = false
    }

    function _fail(text) {
        _end([qsTr("Lieferschein nicht storniert"), text, NotificationState.ERROR])
    }

    function _end(settings) {
        _running = false
        _order = null
        reported(settings)
        stockChanged()
    }

    function _token() {
        return session ? session.token : ""
    }

    property bool _running: false
    property int _pending: 0
    // the delivery order the user is asked about
    property var _order: null
}
