import QtQuick 2.15
import QtTest 1.15
import PrivateFiles 1.0

import "../../src/views/auftraege"
import "../../src/api/service_invoice.js" as ServiceInvoice

// "Abgerechnete Aufträge" over the wire: the invoice cards, the view's page
// and search requests, and opening an invoice's PDF, which is downloaded into
// the user's private directory and handed to the opener, while failed
// downloads and unsafe links are shown and open nothing.
OrdersTestCase {
    id: _case
    name: "Abgerechnet"
    // the container's share of a 1920 × 1080 screen's window at scale 1
    width: 1142
    height: 768

    // file URLs handed to the opener, oldest first
    property var opened: []
    property int openedCount: 0
    // false: the opener finds no program for the file, as on a desktop without a PDF viewer
    property bool openerWorks: true
    // an invoice of an order billed for these tests, on the first page
    property var invoice: null

    Abgerechnet {
        id: view
        session: _case.session
        width: _case.width
        height: _case.height
        opener: function (fileUrl) {
            _case.opened.push(String(fileUrl))
            _case.openedCount = _case.opened.length
            return _case.openerWorks
        }
    }

    function prepare() {
        // more invoices than one page holds
        for (var i = 0; i < 6; ++i) {
            var billed = billOrder(addOrder({ textbeschreibung: "Abgerechnet " + i, customer_id: 3 }).id)
            if (i === 0)
                invoice = billed
        }
    }

    function init() {
        cannedServer.clearAnswers()
        view.download.stop()
        opened = []
        openedCount = 0
        openerWorks = true
        reload(view)
    }

    // The bytes of a PDF file or link, for comparing; the server writes each
    // download afresh, so the creation time is left out.
    function pdfOf(url) {
        var result = null
        var xhr = new XMLHttpRequest()
        xhr.responseType = "arraybuffer"
        xhr.onreadystatechange = function () {
            if (xhr.readyState === XMLHttpRequest.DONE)
                result = xhr.response ? new Uint8Array(xhr.response) : new Uint8Array(0)
        }
        xhr.open("GET", url)
        xhr.send()
        tryVerify(function () { return result !== null }, 5000, "read " + url)
        var text = ""
        for (var i = 0; i < result.length; ++i)
            text += String.fromCharCode(result[i])
        verify(text.indexOf("%PDF-") === 0, "a PDF: " + url)
        return text.replace(/\/CreationDate \([^)]*\)/, "")
    }

    // Answers the next fetch of `record` with a copy whose link is `link`.
    function answerInvoiceWithLink(record, link) {
        var copy = JSON.parse(JSON.stringify(record))
        if (link === undefined)
            delete copy.attachement_link
        else
            copy.attachement_link = link
        cannedServer.answer("/invoice/" + record.id, 200, JSON.stringify(copy))
    }

    function clickPdf(record) {
        var card = cardOf(view, record.id)
        verify(card, "card of invoice " + record.id)
        clickAction(view, card, "pdf")
    }

    function test_cardsShowTheInvoiceCustomerAndTax() {
        var card = cardOf(view, invoice.id)
        var customer = invoice.customer_invoice
        compare(findChild(card, "header").name, customer.surname + " " + customer.lastname)
        compare(findChild(findChild(card, "details"), "tax").text, invoice.taxes_invoice.tax)
        mouseClick(card, 100, 100)
        compare(view.list.currentIndex, shownIds(view).indexOf(invoice.id))
        tryCompare(card.actionColumn, "width", 80 * c_Scale, 1000)
        var pdf = findChild(card.actionColumn, "pdf")
        compare(String(pdf.color), "#f40f02")
        mouseMove(pdf, 10, 10)
        compare(pdf.opacity, 0.5)
        tryCompare(findChild(view.list, "currentBar"), "y", card.y, 10000)
        saveGrab(view, "abgerechnet-list-pdf-button.png")
    }

    function test_pagesAndSearchesInvoices() {
        testServer.clearRecords()
        var listView = view.list.listView
        listView.contentY = listView.originY + listView.contentHeight - listView.height
        tryVerify(function () { return view.current_page === 2 && !view.list.loading }, 5000)
        var records = testServer.records()
        compare(records[0].path, "/invoice")
        compare(records[0].query, "page=2")

        view.modelLiveRefresh("Abgerechnet 0")
        tryCompare(view.list.model, "count", 1, 5000)
        compare(shownIds(view), [invoice.id])
        var search = testServer.records().pop()
        compare([search.method, search.path, search.body], ["POST", "/invoice/search", '{"searchkey":"Abgerechnet 0"}'])
        view.modelRefresh("Search")
        verify(!view.isSearching)
    }

    function test_openingAnInvoiceDownloadsAndOpensItsPdf() {
        var fileName = invoice.attachement_link.split("/").pop()
        testServer.clearRecords()
        clickPdf(invoice)
        expectBanner(view.banner, ["Rechnung " + fileName, "Rechnung wird geöffnet", 1])
        tryCompare(_case, "openedCount", 1, 10000)
        compare(opened[0], String(PrivateFiles.fileUrl(fileName)))
        verify(opened[0].indexOf("file://" + PrivateFiles.directory() + "/") === 0, "inside the private directory")
        // (the server may have moved to another port since the invoice was read)
        var link = reply(ServiceInvoice.get_invoice, [invoice.id, token]).attachement_link
        verify(pdfOf(opened[0]) === pdfOf(link), "the server's PDF")
        var paths = testServer.records().map(function (r) { return r.method + " " + r.path })
        compare(paths.slice(0, 2), ["GET /taxes", "GET /invoice/" + invoice.id], "taxes first, then the invoice")
        compare(view.prozentartenModel.count, taxes.length)

        // Return on the current card opens it again; the file is replaced
        keyClick(Qt.Key_Return)
        tryCompare(_case, "openedCount", 2, 10000)
        compare(opened[1], opened[0])

        // no program opens it: the banner says where the file is
        openerWorks = false
        keyClick(Qt.Key_Return)
        tryCompare(_case, "openedCount", 3, 10000)
        tryVerify(function () { return view.banner.settings[0] === "Rechnung nicht geöffnet" }, 5000)
        compare(view.banner.settings[2], 4)
        verify(view.banner.settings[1].indexOf(PrivateFiles.directory() + "/" + fileName) >= 0, view.banner.settings[1])
    }

    function test_failedDownloadsShowAndOpenNothing() {
        // the document is gone (404)
        answerInvoiceWithLink(invoice, testServer.origin + "/files/unknown/R-0.pdf")
        clickPdf(invoice)
        tryVerify(function () { return view.banner.settings[2] === 4 }, 10000, "an error banner")
        compare(view.banner.settings[0], "Rechnung konnte nicht geladen werden")
        verify(view.banner.settings[1].length > 0, "the element's error text")

        // the server went away between the invoice and its document
        var link = invoice.attachement_link
        cannedServer.answer("/taxes", 200, JSON.stringify(taxes))
        answerInvoiceWithLink(invoice, link)
        whileServerIsDown(function () {
            clickPdf(invoice)
            tryVerify(function () { return view.banner.settings[1].indexOf("refused") >= 0 }, 10000,
                      "the connection error on the banner")
            compare(view.banner.settings[0], "Rechnung konnte nicht geladen werden")
        })
        compare(openedCount, 0, "nothing opened")

        // the next invoice still opens
        reload(view)
        clickPdf(invoice)
        tryCompare(_case, "openedCount", 1, 10000)
    }

    function test_unsafeLinksDownloadNothing_data() {
        return [
            { tag: "parent", link: "../x.pdf" },
            { tag: "encoded parent", link: testServer.origin + "/files/abc/%2e%2e%2fx.pdf" },
            { tag: "empty", link: "" },
            { tag: "directory", link: testServer.origin + "/files/a/b/" },
            { tag: "encoded NUL", link: testServer.origin + "/files/abc/x%00.pdf" },
            { tag: "missing", link: undefined }
        ]
    }

    function test_unsafeLinksDownloadNothing(data) {
        answerInvoiceWithLink(invoice, data.link)
        testServer.clearRecords()
        clickPdf(invoice)
        tryVerify(function () { return view.banner.settings[2] === 4 }, 5000, "an error banner")
        compare(view.banner.settings[0], "Rechnung konnte nicht geladen werden")
        verify(!view.download.running, "no download")
        wait(200)
        compare(openedCount, 0)
        var files = testServer.records().filter(function (r) { return r.path.indexOf("/files/") === 0 })
        compare(files.length, 0, "nothing fetched")
    }

    function test_secondClickRestartsTheDownload() {
        // the first document arrives only in part and stays incomplete
        var other = JSON.parse(JSON.stringify(invoice))
        answerInvoiceWithLink(invoice, String(cannedServer.url("/held/200000")))
        clickPdf(invoice)
        tryCompare(view.download, "running", true, 5000)
        tryVerify(function () { return cannedServer.requestedPaths().indexOf("/held/200000") >= 0 }, 5000)
        // a second click while it runs fetches the invoice anew and opens only that
        clickPdf(other)
        tryCompare(_case, "openedCount", 1, 10000)
        compare(opened[0], String(PrivateFiles.fileUrl(invoice.attachement_link.split("/").pop())))
        cannedServer.release()
        wait(300)
        compare(openedCount, 1, "the stopped download never opens")
    }
}
