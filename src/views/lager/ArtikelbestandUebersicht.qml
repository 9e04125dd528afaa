import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import PrivateFiles 1.0

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../static"
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups
import "../../controls"
import "../../delegates"

// Artikelbestand Übersicht: the open delivery order and the stock booked on
// it. A booking can be removed; the whole delivery order can be cancelled
// (after the user confirmed it, bookings first); or its delivery note is
// generated, saved as a PDF in the user's private temporary directory and
// opened. The backend gives removed bookings' pieces back to their groups.
Rectangle {
    id: _view

    // the window banner's notifier, for a list that does not load
    property var notifier: null
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
    // true while a request of this view is outstanding
    readonly property bool busy: _pending > 0 || _list.loading || _generation.busy
    // whether the list has loaded since the view was created
    readonly property bool loaded: _loaded
    // Hands a saved delivery note (a file URL) to the desktop; true when it
    // could. Tests replace it, so that no viewer starts.
    property var openFile: function (url) {
        return Qt.openUrlExternally(url)
    }

    // (re)loads the status and the list at the next token poll; the container
    // emits it when the page is chosen and after a login while it is the page
    // chosen last (so the view loads when it is first shown, not at start),
    // and the navigation checks again
    signal refresh()

    // the token poll's tick: loads once there is a session
    function checkToken() {
        if (Dynamic.getToken() === "")
            return
        _timer.stop()
        get_deliveryno()
    }

    // the status bar: shown while a delivery order is open
    function get_deliveryno() {
        _begin()
        ServiceWarehouse.check_last_item(Dynamic.getToken(), function (reply, status) {
            _end()
            if (!Request.isList(reply)) {
                _error(qsTr("Lieferschein nicht gelesen"),
                       ArticleGroups.failureReason(status, qsTr("Der offene Lieferschein konnte nicht gelesen werden")))
                return
            }
            var open = reply.length > 0 && Request.isRecord(reply[0])
            _openNumber = open ? String(reply[0].deliveryorders_no) : ""
            _notefield.lieferschein_nr = _openNumber
            _notefield.height = open ? 55 * c_Scale : 0
            _notefield.visible = open
            _noarticleinventory.text = open ? qsTr("- Buchen Sie bitte Artikel für den Lieferschein -")
                                            : qsTr("- Erstellen Sie bitte einen neuen Lieferschein -")
        })
    }

    // the bookings (the list loads them itself at its next token check)
    function get_articleinventory() {
        _list.refresh()
    }

    // The status bar's click: reads the open delivery order and its bookings,
    // then asks the user before anything is deleted.
    function revert_last_created() {
        if (_cancelling)
            return
        _cancelling = true
        _begin()
        ServiceWarehouse.get_last_deliveryno(Dynamic.getToken(), function (reply, status) {
            _end()
            if (!Request.isList(reply)) {
                _cancelFailed(ArticleGroups.failureReason(status, qsTr("Der Lieferschein konnte nicht gelesen werden")))
                return
            }
            var order = reply.length > 0 && Request.isRecord(reply[0]) ? reply[0] : null
            if (!order || order.created === true) {
                _cancelling = false
                _notify(qsTr("Kein offener Lieferschein"), qsTr("Es gibt keinen Lieferschein, der storniert werden kann"),
                        NotificationState.WARNING)
                refresh()
                return
            }
            _begin()
            ServiceWarehouse.get_all_articleinventory(Dynamic.getToken(), function (bookings, status) {
                _end()
                if (!Request.isList(bookings)) {
                    _cancelFailed(ArticleGroups.failureReason(status, qsTr("Die Artikelbestände konnten nicht gelesen werden")))
                    return
                }
                var count = bookings.filter(function (b) { return b.deliveryorder_no === order.deliveryorders_no }).length
                _cancelOrder = order
                _cancelQuestion.text = count === 1
                        ? qsTr("Lieferschein Nr. %1 mit 1 Artikelbestand stornieren? Die Buchung wird gelöscht.")
                          .arg(order.deliveryorders_no)
                        : qsTr("Lieferschein Nr. %1 mit %2 Artikelbeständen stornieren? Alle Buchungen werden gelöscht.")
                          .arg(order.deliveryorders_no).arg(count)
                _cancelQuestion.open()
            })
        })
    }

    // Deletes the bookings of the delivery order numbered `deliverorder_no`, then the delivery order itself.
    function delete_series_articleinventory(deliverorder_no) {
        var order = _cancelOrder
        _begin()
        ServiceWarehouse.delete_series_of_articleinventory(deliverorder_no, Dynamic.getToken(), function (reply, status) {
            _end()
            if (Request.isFailure(reply)) {
                _cancelFailed(ArticleGroups.failureReason(status, qsTr("Die Artikelbestände des Lieferscheins %1 konnten nicht gelöscht werden")
                                                          .arg(deliverorder_no)))
                return
            }
            console.log("API:.....Series gelöscht")
            remove_last_created(order.id)
        })
    }

    // Deletes the delivery order with the record id `id` (the one whose bookings were just deleted).
    function remove_last_created(id) {
        var number = _cancelOrder.deliveryorders_no
        _begin()
        ServiceWarehouse.delete_last_created_deliveryorder(id, Dynamic.getToken(), function (reply, status) {
            _end()
            if (Request.isFailure(reply)) {
                _cancelFailed(ArticleGroups.failureReason(status, qsTr("Die Buchungen sind gelöscht, der Lieferschein %1 selbst nicht")
                                                          .arg(number)))
                return
            }
            console.log("API:.....Series gelöscht")
            _cancelling = false
            _cancelOrder = null
            _notify(qsTr("Lieferschein storniert"), qsTr("Der Lieferschein %1 und seine Buchungen sind gelöscht").arg(number),
                    NotificationState.SUCCESS)
            refresh()
        })
    }

    // Removes one booking; the backend gives its pieces back to the group.
    // Once, whatever the clicks while it is under way.
    function delete_item_articleinventory(articleinventory_id) {
        if (_deleting[articleinventory_id])
            return
        _deleting[articleinventory_id] = true
        _begin()
        ServiceWarehouse.delete_item_articleinventory(articleinventory_id, Dynamic.getToken(), function (reply, status) {
            _end()
            delete _deleting[articleinventory_id]
            if (Request.isFailure(reply))
                _error(qsTr("Artikelbestand nicht entfernt"),
                       ArticleGroups.failureReason(status, qsTr("Die Buchung konnte nicht entfernt werden")))
            else
                console.log("API:.....Articleinventory item gelöscht")
            refresh()
        })
    }

    // "Erstellen": generates the open delivery order's note, saves it as a
    // PDF in the private temporary directory and opens it; while a generated
    // note's document is missing, asks for that document again instead.
    function generate_transaction() {
        if (_generation.pending !== null)
            _generation.fetchAgain()
        else
            _generation.generate()
    }

    // Saves the note of `order` and hands it to the desktop.
    function _openNote(order, bytes) {
        var url = PrivateFiles.save(qsTr("Lieferschein-%1.pdf").arg(order.deliveryorders_no), bytes)
        if (String(url) === "") {
            _error(qsTr("Lieferschein nicht gespeichert"),
                   qsTr("Der Lieferschein %1 ist erstellt, konnte aber nicht gespeichert werden").arg(order.deliveryorders_no))
            return
        }
        if (!openFile(url))
            _error(qsTr("Lieferschein nicht geöffnet"),
                   qsTr("Der Lieferschein liegt unter %1").arg(decodeURIComponent(String(url).replace(/^file:\/\//, ""))))
    }

    function _begin() {
        ++_pending
    }

    function _end() {
        --_pending
    }

    function _cancelFailed(text) {
        _cancelling = false
        _cancelOrder = null
        _error(qsTr("Lieferschein nicht storniert"), text)
        refresh()
    }


    function _error(title, text) {
        _notify(title, text, NotificationState.ERROR)
    }

    function _notify(title, text, state) {
        _banner.settings = [title, text, state]
        _banner.run = true
    }

    property int _pending: 0
    // whether the list has loaded since the view was created
    property bool _loaded: false
    // the number of the open delivery order as last loaded; empty when none is open
    property string _openNumber: ""
    // the delivery order the cancel read and asked about
    property var _cancelOrder: null
    property bool _cancelling: false
    // the ids of the bookings being removed
    property var _deleting: ({})

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    onRefresh: {
        _timer.restart()
        get_articleinventory()
    }

    DeliveryNoteGeneration {
        id: _generation

        onDelivered: {
            _addressPopup.close()
            if (again)
                _view._notify(qsTr("Lieferschein erstellt"),
                              qsTr("Der Lieferschein %1 ist erstellt; die erste Antwort kam nicht vollständig an, "
                                   + "sein Dokument wurde noch einmal geholt").arg(order.deliveryorders_no),
                              NotificationState.SUCCESS)
            // the delivery order is closed now: the list and the navigation follow
            _view.refresh()
            _view._openNote(order, bytes)
        }
        onNothingOpen: _view._notify(qsTr("Kein offener Lieferschein"),
                                     qsTr("Es gibt keinen Lieferschein, der erstellt werden kann"),
                                     NotificationState.WARNING)
        onFailed: {
            // the popup's backdrop lies over the view's banner
            _addressPopup.problem = text
            _view._error(title, text)
            // the delivery order may be closed now
            _view.refresh()
        }
    }

    Timer {
        id: _timer
        interval: 500
        repeat: true
        onTriggered: _view.checkToken()
    }

    StatusArea {
        id: _notefield

        objectName: "statusArea"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 20 * c_Scale
        height: 0
        visible: false
        z: 2
        onClicked: _view.revert_last_created()

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
        notifier: _view.notifier
        failureMessage: [qsTr("Artikelbestände nicht geladen"), qsTr("Die Artikelbestände konnten nicht geladen werden")]
        busy: _view._pending > 0
        listView.spacing: 10 * c_Scale
        onPageLoaded: {
            _view._loaded = true
            _notefield.artikelbestand_nr = String(model.count)
        }
        onLoadFailed: _view._loaded = true

        delegate: AbuDelegate {
            fields: [model.eanno, model.quantity, model.articlegroup]
            itindex: index
            onDeleteClicked: _view.delete_item_articleinventory(model.id)
        }
    }

    Text {
        id: _noarticleinventory

        objectName: "emptyLabel"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 350 * c_Scale
        visible: _list.emptyTextShown
        opacity: 0
        text: ""
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
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 10 * c_Scale
        height: 80 * c_Scale
        highlighted: true
        font.pixelSize: 20 * c_Scale
        // a generated note whose document is missing can be fetched from here too
        text: !_notefield.visible && _generation.pending !== null
              ? qsTr("Lieferschein %1 laden").arg(_generation.pending.deliveryorders_no)
              : qsTr("Lieferschein erstellen")
        enabled: (_notefield.visible || _generation.pending !== null) && !_generation.busy
        onClicked: {
            if (_notefield.visible)
                _addressPopup.open()
            else
                _view.generate_transaction()
        }
    }

    DeliveryAddressPopup {
        id: _addressPopup
        objectName: "addressPopup"
        busy: _generation.busy
        createText: _generation.pending === null ? qsTr("Erstellen")
                                                 : _generation.pendingKnown ? qsTr("Dokument laden") : qsTr("Erneut prüfen")
        onCreate: _view.generate_transaction()
    }

    ConfirmPopup {
        id: _cancelQuestion

        objectName: "cancelQuestion"
        title: qsTr("Lieferschein stornieren")
        confirmText: qsTr("Stornieren")
        onAccepted: _view.delete_series_articleinventory(_view._cancelOrder.deliveryorders_no)
        // declining sends nothing
        onDeclined: {
            _view._cancelling = false
            _view._cancelOrder = null
        }
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
