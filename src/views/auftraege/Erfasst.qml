import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_assignment.js" as ServiceAssignment
import "../../controls"
import "../../delegates"
import "../../delegates/orderRows.js" as OrderRows

// "Erfasste Aufträge": the captured orders, page by page, one card each. From
// a card the user changes an order, deletes it, or bills it (alone, or with
// all open orders of its customer) through the backend's preview.
Rectangle {
    id: _view

    // the login state (loggedIn, token): the list loads while logged in
    property var session: null
    // the window banner's notifier (filled by the container)
    property var notifier: null
    // the last page asked for; 0: no further page
    property alias current_page: _list.current_page
    // true while the list shows search hits (paging waits)
    property alias isSearching: _list.isSearching
    // the order being changed or billed alone, or the customer whose orders are billed
    property int idof: -1
    // billing mode of the checkout popup: 0 one order, 1 all orders of a customer
    property int mode: -1
    // the paged list
    readonly property alias list: _list
    // the change popup "Auftragsänderung"
    readonly property alias changePopup: _changePopup
    // the checkout popup "Abrechnung"
    readonly property alias checkoutPopup: _checkoutPopup
    // the view's own banner
    readonly property alias banner: _banner

    // reloads the list from page 1 (the keyword is not used)
    signal refresh(var keyword)
    // a confirmed search; "Search" ends searching
    signal modelRefresh(var keyword)
    // a search while the user types
    signal modelLiveRefresh(var keyword)

    // Opens the change popup for the order `id`; the list reloads behind it
    // (first: the reload puts the keyboard on the list, the popup then takes it).
    function modifyOrder(id) {
        idof = id
        refresh("")
        _changePopup.openFor(id)
    }

    // Deletes the order `id` at once, without a question, and reloads the list.
    // A refusal says why; without an answer the list shows what is stored.
    function deleteOrder(id) {
        ++_pending
        ServiceAssignment.delete_assignment(id, Dynamic.getToken(), function (reply, status, reason) {
            --_pending
            if (status === 0)
                notify([qsTr("Ergebnis unklar"), qsTr("Keine Antwort vom Server: ob der Auftrag gelöscht wurde, ist unklar"),
                        NotificationState.WARNING])
            else if (reply !== 0)
                notify([qsTr("Nicht Erfolgreich"), Request.withReason(qsTr("Auftrag konnte nicht gelöscht werden"), reason),
                        NotificationState.ERROR])
            refresh("")
        })
    }

    // Opens the billing of the order `id` alone.
    function checkout(id) {
        idof = id
        mode = 0
        _checkoutPopup.openFor(0, id)
    }

    // Opens the billing of all open orders of the customer `customerId`.
    function checkoutMulti(customerId) {
        idof = customerId
        mode = 1
        _checkoutPopup.openFor(1, customerId)
    }

    // Shows [title, text, state] on the view's banner.
    function notify(settings) {
        _banner.settings = settings
        _banner.run = true
    }

    property int _pending: 0

    color: Colors.c_background

    onRefresh: _list.refresh()
    onModelRefresh: _list.modelRefresh(keyword)
    onModelLiveRefresh: _list.modelLiveRefresh(keyword)

    Sendungsart {
        id: _shipmentTypes
    }

    Richtungen {
        id: _directions
    }

    Versandpartner {
        id: _shippingPartners
    }

    PagedList {
        id: _list

        objectName: "pagedList"
        anchors.fill: parent
        pageFunction: ServiceAssignment.get_assignments
        searchFunction: ServiceAssignment.get_search_assignment
        emptyText: qsTr("- KEIN AUFTRAG VORHANDEN -")
        session: _view.session
        notifier: _view.notifier
        failureMessage: [qsTr("Aufträge nicht geladen"), qsTr("Die erfassten Aufträge konnten nicht geladen werden")]
        busy: _view._pending > 0
        rowOf: OrderRows.orderRow

        delegate: ErfDelegate {
            objectName: "card_" + model.id
            itindex: index
            order: model
            shipmentTypes: _shipmentTypes
            directions: _directions
            shippingPartners: _shippingPartners
            onItemClicked: _list.select(index)
            onModifyClicked: _view.modifyOrder(model.id)
            onDeleteClicked: _view.deleteOrder(model.id)
            onCheckoutClicked: _view.checkout(model.id)
            onCheckoutMultiClicked: _view.checkoutMulti(model.customer_id)
        }
    }

    NotificationBanner {
        id: _banner

        objectName: "banner"
        anchors.fill: parent
        z: 20
    }

    OrderChangePopup {
        id: _changePopup

        objectName: "changePopup"
        onSaved: {
            _view.refresh("")
            _view.notify([qsTr("Erfolgreich"), readable ? qsTr("Auftrag wurde erfolgreich geändert")
                                                        : qsTr("Auftrag wurde geändert, die Antwort des Servers war aber nicht lesbar"),
                          NotificationState.SUCCESS])
        }
        onFailed: _view.notify([qsTr("Nicht Erfolgreich"), text, NotificationState.ERROR])
    }

    CheckoutPopup {
        id: _checkoutPopup

        objectName: "checkoutPopup"
        directions: _directions
        shipmentTypes: _shipmentTypes
        onBilled: {
            _view.refresh("")
            _view.notify([qsTr("Erfolgreich"), qsTr("Auftrag wurde abgerechnet"), NotificationState.SUCCESS])
        }
        onFailed: _view.notify([qsTr("Nicht Erfolgreich"), text, NotificationState.ERROR])
    }
}
