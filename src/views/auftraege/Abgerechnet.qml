import QtQuick 2.15
import example.kestrova.qml.filedownload 1.0
import PrivateFiles 1.0

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_invoice.js" as ServiceInvoice
import "../../controls"
import "../../delegates"
import "../../delegates/orderRows.js" as OrderRows

// "Abgerechnete Aufträge": the billed orders, page by page, one card each.
// The card's PDF button (or Return on the current card) downloads the
// invoice's document into the user's private directory and hands it to the
// desktop to open.
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
    // the id of the invoice whose document was asked for last
    property int idof: -1
    // hands a downloaded file (a file URL) to the desktop; tests put a recorder here
    property var opener: function (fileUrl) {
        return Qt.openUrlExternally(fileUrl)
    }
    // the paged list
    readonly property alias list: _list
    // the view's own banner
    readonly property alias banner: _banner
    // the download element
    readonly property alias download: _download
    // the percentage types, refilled from the tax list before each invoice is fetched
    readonly property alias prozentartenModel: _prozentartenModel

    // reloads the list from page 1 (the keyword is not used)
    signal refresh(var keyword)
    // a confirmed search; "Search" ends searching
    signal modelRefresh(var keyword)
    // a search while the user types
    signal modelLiveRefresh(var keyword)

    // Opens the document of the invoice `id`.
    function openInvoice(id) {
        idof = id
        getInvoice(id, savePdfAndOpen)
    }

    // Reads the tax list, then the invoice `id`, and hands the invoice to `cb`.
    // Only the invoice asked for last reaches `cb`.
    function getInvoice(id, cb) {
        var request = ++_invoiceSerial
        ++_pending
        ServiceInvoice.get_taxes(Dynamic.getToken(), function (taxes) {
            --_pending
            if (request !== _invoiceSerial)
                return
            if (!Request.isList(taxes)) {
                _invoiceFailed(qsTr("Die Steuersätze konnten nicht geladen werden"))
                return
            }
            _prozentartenModel.clear()
            for (var i = 0; i < taxes.length; ++i)
                _prozentartenModel.append({ "id": taxes[i].id, "key": taxes[i].tax })
            ++_pending
            ServiceInvoice.get_invoice(id, Dynamic.getToken(), function (invoice) {
                --_pending
                if (request === _invoiceSerial)
                    cb(invoice)
            })
        })
    }

    // Downloads the document the invoice `res` links to and opens it when it is
    // complete. A link whose last segment is no plain file name downloads nothing.
    function savePdfAndOpen(res) {
        var link = Request.isRecord(res) ? res.attachement_link : undefined
        if (typeof link !== "string" || link === "") {
            _invoiceFailed(qsTr("Die Rechnung nennt kein Dokument"))
            return
        }
        var fileName = PrivateFiles.fileNameOfLink(link)
        var destination = fileName !== "" ? PrivateFiles.fileUrl(fileName) : ""
        if (fileName === "" || String(destination) === "") {
            _invoiceFailed(qsTr("Das Dokument der Rechnung hat keinen gültigen Dateinamen"))
            return
        }
        notify([qsTr("Rechnung ") + fileName, qsTr("Rechnung wird geöffnet"), NotificationState.INFO])
        // one download at a time: a running or failed one is stopped before the next starts
        _download.stop()
        _download.url = link
        _download.destination = destination
        _download.running = true
    }

    // Shows [title, text, state] on the view's banner.
    function notify(settings) {
        _banner.settings = settings
        _banner.run = true
    }

    property int _pending: 0
    property int _invoiceSerial: 0

    function _invoiceFailed(text) {
        notify([qsTr("Rechnung konnte nicht geladen werden"), text, NotificationState.ERROR])
    }

    color: Colors.c_background

    onRefresh: _list.refresh()
    onModelRefresh: _list.modelRefresh(keyword)
    onModelLiveRefresh: _list.modelLiveRefresh(keyword)

    ListModel {
        id: _prozentartenModel
    }

    Sendungsart {
        id: _shipmentTypes
    }

    Richtungen {
        id: _directions
    }

    Versandpartner {
        id: _shippingPartners
    }

    Download {
        id: _download

        objectName: "download"
        overwrite: true
        followRedirects: true
        onStarted: console.log("Started download")
        onRedirected: console.log("Redirected")
        onProgressChanged: console.log("progress: " + progress)
        // without a program for PDFs on this desktop the user learns where the file is
        onFinished: {
            if (!_view.opener(destination))
                _view.notify([qsTr("Rechnung nicht geöffnet"),
                              qsTr("Die Rechnung liegt unter %1").arg(decodeURIComponent(String(destination).replace(/^file:\/\//, ""))),
                              NotificationState.ERROR])
        }
        // the error text names the document's address, which opens it without a session: banner only
        onError: {
            console.log("Download failed with error " + errorCode)
            _view._invoiceFailed(errorString)
        }
    }

    PagedList {
        id: _list

        objectName: "pagedList"
        anchors.fill: parent
        pageFunction: ServiceInvoice.get_invoices
        searchFunction: ServiceInvoice.get_search_invoice
        emptyText: qsTr("- KEIN AUFTRAG VORHANDEN -")
        session: _view.session
        notifier: _view.notifier
        failureMessage: [qsTr("Rechnungen nicht geladen"), qsTr("Die abgerechneten Aufträge konnten nicht geladen werden")]
        busy: _view._pending > 0
        rowOf: OrderRows.invoiceRow
        onActivated: {
            var invoice = recordAt(index)
            if (invoice)
                _view.openInvoice(invoice.id)
        }

        delegate: InvDelegate {
            objectName: "card_" + model.id
            itindex: index
            order: model
            shipmentTypes: _shipmentTypes
            directions: _directions
            shippingPartners: _shippingPartners
            onItemClicked: _list.select(index)
            onGetPdfClicked: {
                _list.currentIndex = index
                _view.openInvoice(model.id)
            }
        }
    }

    NotificationBanner {
        id: _banner

        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
