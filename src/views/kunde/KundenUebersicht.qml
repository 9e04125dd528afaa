import QtQuick 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../api/service_customer.js" as ServiceCustomer
import "../../controls"
import "../../delegates"

// "Kunden Übersicht": every customer, page by page, one card each, searched
// by full name from the top bar; the wrench of a card opens the customer in
// the edit popup. Customers are not deleted here.
Item {
    id: _view

    // the login state (loggedIn, token): the list loads while logged in
    property var session: null
    // the window's banner (set by the container), told when the list cannot be loaded
    property var notifier: null
    // the paged list, for tests
    readonly property alias list: _list
    // the edit popup, for tests
    readonly property alias popup: _customerChangePopup
    // the view's own banner (no object name: the window's banner is found by that name)
    readonly property alias banner: _banner

    // reload from page 1 (the keyword is not used)
    signal refresh(var keyword)
    // a confirmed search from the top bar ("Search": no search)
    signal modelRefresh(var keyword)
    // a search while the user types
    signal modelLiveRefresh(var keyword)

    // Opens the customer `id` in the edit popup and reloads what the list
    // shows behind it (first: the reload puts the keyboard on the list, the
    // popup then takes it).
    function openCustomer(id) {
        _customerChangePopup.idof = id
        refresh("")
        _customerChangePopup.open()
    }

    // reloads show the hits of the search that stands, or the customers from page 1
    onRefresh: _list.refresh()
    onModelRefresh: _list.modelRefresh(keyword)
    onModelLiveRefresh: _list.modelLiveRefresh(keyword)

    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    Rectangle {
        anchors.fill: parent
        color: Colors.c_grayish_white
    }

    PagedList {
        id: _list

        anchors.fill: parent
        pageFunction: ServiceCustomer.get_customers
        searchFunction: ServiceCustomer.get_search_customer_fullname
        emptyText: qsTr("- KEIN KUNDE VORHANDEN -")
        session: _view.session
        notifier: _view.notifier
        failureMessage: [qsTr("Kundenliste nicht geladen"), qsTr("Die Kunden konnten nicht geladen werden")]
        delegate: CusDelegate {
            itindex: index
            onItemClicked: _list.select(index)
            onModifyClicked: _view.openCustomer(model.id)
        }
    }

    CustomerEditPopup {
        id: _customerChangePopup

        objectName: "customerChangePopup"
        // the list shows the change: the search's hits again, or page 1
        onSaved: _view.refresh("")
        // each message for its whole display time, also right after another
        onMessage: {
            _banner.run = false
            _banner.settings = settings
            _banner.run = true
        }
    }

    NotificationBanner {
        id: _banner

        // over the popup while it is open (it covers the view), so that what
        // went wrong with a change shows in front of the user's input
        parent: _customerChangePopup.visible ? _customerChangePopup.contentItem : _view
        anchors.fill: parent
        z: 3
    }
}
