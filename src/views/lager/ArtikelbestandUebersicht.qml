import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../static"
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups
import "../../controls"
import "../../delegates"

// Artikelbestand Übersicht: the open delivery order and the stock booked on
// it, as the warehouse reads them. A booking can be removed; the whole
// delivery order can be cancelled (after the user confirmed it, bookings
// first); or its delivery note is generated, saved as a PDF in the user's
// private temporary directory and opened. The warehouse does all of it; the
// view shows it and its messages.
Rectangle {
    id: _view

    // the login state (loggedIn, token), for the list of bookings
    property var session: null
    // the window banner's notifier, for a list that does not load
    property var notifier: null
    // the open delivery order and its workflows
    property var warehouse: null
    // the bookings of the open delivery order, as the backend lists them
    readonly property alias listModel: _list.model
    // the status bar
    readonly property alias statusArea: _notefield
    // the delivery address popup
    readonly property alias addressPopup: _addressPopup
    // the question before a cancel
    readonly property alias cancelQuestion: _cancelQuestion
    // the view's own message bar
    readonly property alias banner: _banner
    // true while a request of this view or the warehouse is outstanding
    readonly property bool busy: _list.loading || (!!warehouse && warehouse.busy)
    // whether the list has loaded since the view was created
    readonly property bool loaded: _loaded

    // (re)loads the open delivery order and the list; the container emits it
    // when the page is chosen and after a login while it is the page chosen
    // last (so the view loads when it is first shown, not at start), and the
    // view itself after the warehouse changed the stock
    signal refresh()

    // a delivery order is open, as the warehouse last read it
    readonly property bool _open: !!warehouse && warehouse.open === true
    // the note whose document is missing, or null
    readonly property var _pendingNote: warehouse ? warehouse.pendingNote : null
    readonly property bool _generating: !!warehouse && warehouse.generating
    property bool _loaded: false

    function _notify(settings) {
        _banner.settings = settings
        _banner.run = true
    }

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    onRefresh: {
        if (warehouse)
            warehouse.check()
        _list.refresh()
    }

    Connections {
        target: _view.warehouse
        function onReported(workflow, settings) {
            if (workflow !== "check" && workflow !== "stock" && workflow !== "note")
                return
            // the popup's backdrop lies over the view's banner
            if (workflow === "note" && settings[2] === NotificationState.ERROR)
                _addressPopup.problem = settings[1]
            _view._notify(settings)
        }
        function onCancelQuestion(question) {
            _cancelQuestion.text = question
            _cancelQuestion.open()
        }
        function onNoteDelivered(order) {
            _addressPopup.close()
        }
        function onStockChanged() {
            _view.refresh()
        }
    }

    StatusArea {
        id: _notefield

        objectName: "statusArea"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 20 * c_Scale
        height: _view._open ? 55 * c_Scale : 0
        visible: _view._open
        z: 2
        lieferschein_nr: _view._open && _view.warehouse.openOrder ? String(_view.warehouse.openOrder.deliveryorders_no) : ""
        onClicked: _view.warehouse.cancel()

        Behavior on height {
            NumberAnimation { duration: 150; easing.type: Easing.OutQuad }
        }
    }

    PagedList {
        id: _list

        objectName: "bookingList"
        // between the status bar and the button, never below zero (also
        // while the page is still being sized)
        x: 20 * c_Scale
        y: _notefield.y + _notefield.height + 20 * c_Scale
        width: Math.max(0, parent.width - 2 * x)
        height: Math.max(0, _generateButton.y - 20 * c_Scale - y)
        // the container refreshes the page whenever it comes into view
        loadOnStart: false
        // every booking comes at once
        pageFunction: ArticleGroups.allAtOnce(ServiceWarehouse.get_all_articleinventory)
        // the view's own label says why the list is empty
        emptyText: ""
        session: _view.session
        notifier: _view.notifier
        failureMessage: [qsTr("Artikelbestände nicht geladen"), qsTr("Die Artikelbestände konnten nicht geladen werden")]
        // (the address popup shows the note's generation itself)
        busy: !!_view.warehouse && _view.warehouse.busy && !_view._generating
        listView.spacing: 10 * c_Scale
        onPageLoaded: {
            _view._loaded = true
            _notefield.artikelbestand_nr = String(model.count)
        }
        onLoadFailed: _view._loaded = true

        delegate: AbuDelegate {
            fields: [model.eanno, model.quantity, model.articlegroup]
            itindex: index
            onDeleteClicked: _view.warehouse.removeBooking(model.id)
        }
    }

    Text {
        id: _noarticleinventory

        objectName: "emptyLabel"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 350 * c_Scale
        visible: _list.emptyTextShown
        opacity: 0
        text: {
            if (_view._open)
                return qsTr("- Buchen Sie bitte Artikel für den Lieferschein -")
            return _view.warehouse && _view.warehouse.open === false ? qsTr("- Erstellen Sie bitte einen neuen Lieferschein -") : ""
        }
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: 40 * c_Scale
        color: Colors.c_nav_font

        Component.onCompleted: _appear.start()

        ParallelAnimation {
            id: _appear
            NumberAnimation { target: _noarticleinventory; property: "opacity"; to: 1; duration: 1500 }
            NumberAnimation { target: _noarticleinventory; property: "y"; from: 350 * c_Scale; to: 300 * c_Scale; duration: 1500; easing.type: Easing.OutCirc }
        }
    }

    Button {
        id: _generateButton

        objectName: "generateButton"
        NoShadowLayer { target: _generateButton.background }
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 10 * c_Scale
        height: 80 * c_Scale
        highlighted: true
        font.pixelSize: 20 * c_Scale
        // a generated note whose document is missing can be fetched from here too
        text: !_view._open && _view._pendingNote !== null
              ? qsTr("Lieferschein %1 laden").arg(_view._pendingNote.deliveryorders_no)
              : qsTr("Lieferschein erstellen")
        enabled: (_view._open || _view._pendingNote !== null) && !_view._generating
        onClicked: {
            if (_view._open)
                _addressPopup.open()
            else
                _view.warehouse.generateNote()
        }
    }

    DeliveryAddressPopup {
        id: _addressPopup
        objectName: "addressPopup"
        busy: _view._generating
        createText: _view._pendingNote === null ? qsTr("Erstellen")
                                                : _view.warehouse.pendingNoteKnown ? qsTr("Dokument laden") : qsTr("Erneut prüfen")
        onCreate: _view.warehouse.generateNote()
    }

    ConfirmPopup {
        id: _cancelQuestion

        objectName: "cancelQuestion"
        title: qsTr("Lieferschein stornieren")
        confirmText: qsTr("Stornieren")
        onAccepted: _view.warehouse.confirmCancel()
        // declining sends nothing
        onDeclined: _view.warehouse.declineCancel()
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
