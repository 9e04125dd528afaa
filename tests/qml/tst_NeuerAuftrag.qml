import QtQuick 2.15
import QtTest 1.15

import "../../src/views/auftraege"
import "../../src/api/service_assignment.js" as ServiceAssignment
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../static/ConfigStorage.js" as ConfigStorage

// The new-order page against the reference server: the tax rows and their
// preselection, picking a customer, what a save sends, what the user sees
// after a save that worked or failed, and the boxes that depend on the
// company chosen at the login.
ShellTestCase {
    id: _case
    name: "NeuerAuftrag"
    width: 1400
    height: 900

    Component {
        id: _viewComponent
        NeuerAuftrag {
            width: _case.width
            height: _case.height
        }
    }

    property var view: null
    property var form: null
    // what the form holds, as an order record
    property var order: null
    // the reference server's tax rows
    property var taxes: []

    function initTestCase() {
        verify(testServer.running, "the reference server runs")
        token = logInSession()
        taxes = reply(ServiceAssignment.get_taxes, [token])
        verify(taxes.length >= 3, "the demo data has three tax rows")
    }

    function init() {
        cannedServer.clearAnswers()
        testServer.clearRecords()
        view = createTemporaryObject(_viewComponent, _case)
        form = view.form
        order = view.controller
    }

    function refreshed() {
        view.refresh()
        tryCompare(view, "loadingTaxes", false, 10000)
    }

    function field(name) {
        var item = findChild(form, name)
        verify(item, name)
        return item
    }

    function posts() {
        return testServer.records().filter(function (r) {
            return r.method === "POST" && r.path === "/assignment"
        })
    }

    // Types `text` into the customer field and clicks the suggestion `fullName`.
    function pickCustomer(text, fullName) {
        clickInPage(findChild(form.customerField, "suggestionsInput"))
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
        var suggestions = form.customerField.searchListModel
        var row = -1
        tryVerify(function () {
            for (var r = 0; r < suggestions.count; ++r) {
                if (suggestions.get(r).surname + " " + suggestions.get(r).lastname === fullName)
                    row = r
            }
            return row >= 0 && form.customerField.searchfield.visible
        }, 10000, "suggestion " + fullName)
        var rows = []
        findTexts(form.customerField.searchfield, fullName, rows)
        compare(rows.length, 1, "one row shows " + fullName)
        mouseClick(rows[0])
        compare(form.customerField.controlText, fullName)
    }

    function findTexts(item, text, found) {
        if (item.objectName === "rowText" && item.text === text)
            found.push(item)
        for (var i = 0; i < item.children.length; ++i)
            findTexts(item.children[i], text, found)
    }

    // Scrolls the page to `item` and clicks it.
    function clickInPage(item) {
        var flick = findChild(view, "page")
        var top = item.mapToItem(flick.contentItem, 0, 0).y
        flick.contentY = Math.max(0, Math.min(top - 100, flick.contentHeight - flick.height))
        mouseClick(item)
    }

    // how many orders reached the server with canned answers so far
    function cannedRequests() {
        return cannedServer.requestedPaths().filter(function (p) { return p === "/assignment" }).length
    }

    function pressSave() {
        clickInPage(field("saveButton"))
    }

    function customerId(fullName) {
        var hits = reply(ServiceCustomer.get_search_customer_fullname, [fullName, token])
        verify(hits.length >= 1, fullName)
        return String(hits[0].id)
    }

    // A filled order: WW Express 10 h preselects the second tax row; the
    // premium with its amount, the time window unchecked after an amount was typed.
    function fillOrder() {
        field("datum").pick(new Date(2025, 2, 5))
        field("belegnummer").text = "B-77"
        field("referenz").text = "R-1"
        field("text").text = "Kartons"
        field("gewicht").text = "12,5"
        field("versandpartner").currentIndex = 2
        field("sendungsart").currentIndex = 13
        field("richtung").currentIndex = 3
        field("verkaufspreis").text = "99.90"
        field("einkaufspreis").text = "70"
        field("zustellung_im_aussengebiet").checked = true
        field("versand_heavy_weight").checked = true
        field("dox").checked = true
        clickInPage(field("praemie_fuer_transportversicherung").box)
        field("praemie_fuer_transportversicherung").amount = "15"
        clickInPage(field("zeitfensterzustellung").box)
        verify(findChild(field("zeitfensterzustellung"), "amount").visible)
        field("zeitfensterzustellung").amount = "7"
        // the box keeps the focus: Space unchecks it
        keyClick(Qt.Key_Space)
        verify(!findChild(field("zeitfensterzustellung"), "amount").visible)
    }

    function expectedBody(taxId, customer) {
        return JSON.stringify({
            "datum": "05.03.2025", "belegnummer": "B-77", "referenz": "R-1", "textbeschreibung": "Kartons",
            "gewicht": "12,5", "sendungsart": 13, "versandpartner": 2, "richtung": 3, "prozentsatz_id": taxId,
            "verkaufspreis": "99.90", "einkaufspreis": "70", "zustellung_im_aussengebiet": true,
            "abholung_im_aussengebiet": false, "versand_oversized": false, "versand_heavy_weight": true,
            "versand_nicht_stapelbare_palette": false, "zustellung_samstags": false, "abholung_samstags": false,
            "gebuehr_fuer_zusaetzliche_handhabung": false, "praemie_fuer_transportversicherung": true,
            "betrag_fuer_praemie_fuer_transportversicherung": "15", "gebuehr_fuer_erstellung_einer_ae": false,
            "gebuehr_fuer_kein_envelope": false, "zeitfensterzustellung": false,
            "betrag_fuer_zeitfenstereinstellungen": "", "customer_id": customer })
    }

    function verifyKept() {
        compare(field("belegnummer").text, "B-77")
        compare(field("datum").text, "05.03.2025")
        compare(field("sendungsart").currentIndex, 13)
        compare(field("prozentart").currentIndex, 1)
        compare(field("praemie_fuer_transportversicherung").amount, "15")
        compare(field("zeitfensterzustellung").amount, "7")
        compare(field("dox").checked, true)
    }

    function test_taxPreselection_data() {
        return [
            { tag: "three rows of the server", rows: null, express: 1 },
            { tag: "two rows", rows: [{ id: 7, tax: "19%" }, { id: 8, tax: "0%" }], express: 1 },
            { tag: "one row", rows: [{ id: 7, tax: "19%" }], express: 0 },
            { tag: "no rows", rows: [], express: -1 }
        ]
    }

    function test_taxPreselection(data) {
        if (data.rows)
            cannedServer.answer("/taxes", 200, JSON.stringify(data.rows))
        refreshed()
        var rows = data.rows || taxes
        var prozentart = field("prozentart")
        compare(form.taxModel.count, rows.length)
        for (var i = 0; i < rows.length; ++i) {
            compare(form.taxModel.get(i).id, rows[i].id)
            compare(form.taxModel.get(i).key, rows[i].tax)
        }
        compare(prozentart.currentIndex, rows.length > 0 ? 0 : -1)

        field("sendungsart").currentIndex = 13
        compare(field("sendungsart").displayText, "WW Express 10 h")
        compare(prozentart.currentIndex, data.express)
        field("sendungsart").currentIndex = 1
        compare(field("sendungsart").displayText, "eco 24")
        compare(prozentart.currentIndex, rows.length > 0 ? 0 : -1)

        if (rows.length < 3)
            return
        // the user's own choice counts, and a reload of the rows keeps it
        prozentart.currentIndex = 2
        compare(order.collect().prozentsatz_id, rows[2].id)
        refreshed()
        compare(prozentart.currentIndex, 2)
    }

    function test_savedOrderEmptiesTheForm() {
        refreshed()
        pickCustomer("Anna Sch", "Anna Schmidt")
        compare(order.customerId, customerId("Anna Schmidt"))
        fillOrder()
        pressSave()
        tryCompare(view, "saving", false, 10000)
        var sent = posts()
        compare(sent.length, 1)
        compare(sent[0].body, expectedBody(taxes[1].id, customerId("Anna Schmidt")))
        var banner = findChild(view, "banner")
        compare(banner.settings, ["Erfolgreich", "Auftrag wurde erfolgreich gespeichert", 2])
        compare(banner.run, true)
        // the order is on the server
        var found = reply(ServiceAssignment.get_search_assignment, ["B-77", token])
        compare(found.length, 1)
        compare(found[0].customer_assignment.surname, "Anna")

        // everything empty again, every drop-down on its first row
        compare(form.customerName, "")
        compare(order.customerId, "")
        compare(order.collect(), {
            datum: "", belegnummer: "", referenz: "", textbeschreibung: "", gewicht: "", sendungsart: 0,
            versandpartner: 0, richtung: 0, prozentsatz_id: taxes[0].id, verkaufspreis: "", einkaufspreis: "",
            zustellung_im_aussengebiet: false, abholung_im_aussengebiet: false, versand_oversized: false,
            versand_heavy_weight: false, versand_nicht_stapelbare_palette: false, zustellung_samstags: false,
            abholung_samstags: false, gebuehr_fuer_zusaetzliche_handhabung: false,
            praemie_fuer_transportversicherung: false, betrag_fuer_praemie_fuer_transportversicherung: "",
            gebuehr_fuer_erstellung_einer_ae: false, gebuehr_fuer_kein_envelope: false, zeitfensterzustellung: false,
            betrag_fuer_zeitfenstereinstellungen: ""
        })
        compare(field("praemie_fuer_transportversicherung").amount, "")
        compare(field("zeitfensterzustellung").amount, "")
        compare(field("dox").checked, false)
        compare(findChild(view, "page").contentY, 0)

        // the next order without a customer says so, and the backend refuses it
        testServer.clearRecords()
        fillOrder()
        pressSave()
        tryCompare(view, "saving", false, 10000)
        compare(posts().length, 1)
        compare(posts()[0].body, expectedBody(taxes[1].id, ""))
        compare(banner.settings, ["Nicht Erfolgreich",
                                  'Auftrag konnte nicht gespeichert werden: missing value for "customer_id"', 4])
        verifyKept()
    }

    // A refused order keeps the form and says why, in the backend's words.
    function test_failedSaveKeepsTheForm_data() {
        return [
            { tag: "server error", status: 500, body: '{"error": "database is locked"}',
              text: "Auftrag konnte nicht gespeichert werden: database is locked" },
            { tag: "error without a reason", status: 500, body: '{"id": 9999}',
              text: "Auftrag konnte nicht gespeichert werden" },
            { tag: "a price the backend refuses", price: "abc",
              text: 'Auftrag konnte nicht gespeichert werden: "verkaufspreis" is not an amount of money: "abc"' }
        ]
    }

    function test_failedSaveKeepsTheForm(data) {
        refreshed()
        pickCustomer("Thomas W", "Thomas Wagner")
        fillOrder()
        if (data.price) {
            field("verkaufspreis").text = data.price
        } else {
            cannedServer.answer("/assignment", data.status, data.body)
        }
        pressSave()
        tryCompare(view, "saving", false, 10000)
        compare(findChild(view, "banner").settings, ["Nicht Erfolgreich", data.text, 4])
        if (data.price) {
            compare(posts().length, 1)
            compare(field("verkaufspreis").text, data.price)
            field("verkaufspreis").text = "99.90"
        }
        verifyKept()
        compare(form.customerName, "Thomas Wagner")
        compare(order.customerId, customerId("Thomas Wagner"))
        compare(field("saveButton").enabled, true, "the user may try again")
    }

    // Stored with 201, but the reply cannot be read: stored all the same, so
    // the form is emptied and nothing invites a second order.
    function test_storedButUnreadable() {
        refreshed()
        pickCustomer("Thomas W", "Thomas Wagner")
        fillOrder()
        cannedServer.answer("/assignment", 201, '{"id": 99')
        expectUnreadableReply()
        var before = cannedRequests()
        pressSave()
        tryCompare(view, "saving", false, 10000)
        compare(findChild(view, "banner").settings,
                ["Erfolgreich", "Auftrag wurde gespeichert, die Antwort des Servers war aber nicht lesbar", 2])
        compare(field("belegnummer").text, "", "the form is empty for the next order")
        compare(order.customerId, "")
        compare(cannedRequests(), before + 1)
    }

    // No answer at all: stored or not, nobody knows. The form stays, and
    // the next "Speichern" first asks whether the user has looked.
    function test_unknownOutcomeAsksBeforeSendingAgain() {
        refreshed()
        pickCustomer("Thomas W", "Thomas Wagner")
        fillOrder()
        cannedServer.drop("/assignment", 3)
        pressSave()
        tryCompare(view, "saving", false, 10000)
        var banner = findChild(view, "banner")
        compare(banner.settings[0], "Ergebnis unklar")
        compare(banner.settings[2], 3)
        verifyKept()
        cannedServer.clearAnswers() // the backend answers again

        var question = view.resendQuestion
        pressSave()
        tryCompare(question, "opened", true)
        verify(findChild(question.contentItem, "acceptButton").isDefault, "the default shows the return key")
        keyClick(Qt.Key_Escape)
        tryCompare(question, "visible", false)
        wait(200)
        compare(posts().length, 0, "nothing sent again")

        pressSave()
        tryCompare(question, "opened", true)
        keyClick(Qt.Key_Return)
        tryCompare(view, "saving", false, 10000)
        compare(posts().length, 1, "sent again after the user said so")
        compare(banner.settings, ["Erfolgreich", "Auftrag wurde erfolgreich gespeichert", 2])
        // a decided save asks nothing the next time
        tryCompare(question, "visible", false)
        fillOrder()
        pressSave()
        tryCompare(view, "saving", false, 10000)
        verify(!question.visible)
    }

    function test_noSecondOrderWhileSaving() {
        refreshed()
        pickCustomer("Sabine W", "Sabine Weber")
        fillOrder()
        cannedServer.answer("/assignment", 201, '{"id": 9998}', true)
        var before = cannedRequests()
        pressSave()
        tryVerify(function () { return cannedRequests() > before })
        compare(view.saving, true)
        compare(field("saveButton").enabled, false)
        clickInPage(field("saveButton"))
        view.save()
        // other input goes on meanwhile
        field("referenz").text = "R-2"
        wait(200)
        compare(cannedRequests(), before + 1)
        compare(posts().length, 0, "nothing reached the backend besides the one request")
        cannedServer.release()
        tryCompare(view, "saving", false, 10000)
        compare(field("saveButton").enabled, true)
        compare(findChild(view, "banner").settings[2], 2)
        compare(field("referenz").text, "")
    }

    function test_noTaxRowsNothingSent() {
        // never refreshed: no tax rows yet
        cannedServer.answer("/taxes", 500, '{"error": "down"}')
        pickCustomer("Anna Sch", "Anna Schmidt")
        fillOrder()
        pressSave()
        var banner = findChild(view, "banner")
        compare(banner.settings, ["Steuersätze fehlen", "Die Steuersätze konnten nicht geladen werden", 3])
        tryCompare(view, "loadingTaxes", false, 10000)
        compare(posts().length, 0)
        compare(field("belegnummer").text, "B-77")
        // the failed reload leaves the list empty and says so again; the next one fills it
        compare(form.taxModel.count, 0)
        pressSave()
        tryCompare(view, "loadingTaxes", false, 10000)
        compare(form.taxModel.count, taxes.length)
        compare(field("prozentart").currentIndex, 1, "the row that goes with the shipment type")
        compare(posts().length, 0)
    }

    function test_changedNameForgetsTheCustomer() {
        refreshed()
        pickCustomer("Claudia B", "Claudia Becker")
        compare(order.customerId, customerId("Claudia Becker"))
        var input = findChild(form.customerField, "suggestionsInput")
        keyClick(Qt.Key_Backspace)
        compare(order.customerId, "", "the name no longer names the picked customer")
        keyClick("r")
        tryCompare(form.customerField.searchfield, "visible", false, 10000)
        compare(order.customerId, customerId("Claudia Becker"), "the whole name again picks the customer")
        input.selectAll()
        keyClick(Qt.Key_Delete)
        compare(form.customerName, "")
        compare(order.customerId, "")
    }

    // one view through several logins: the company stored last counts
    function test_doxNoxByCompany() {
        var logins = [{ company: undefined, shown: true }, { company: 0, shown: false },
                      { company: 1, shown: true }, { company: 0, shown: false }]
        for (var i = 0; i < logins.length; ++i) {
            if (logins[i].company === undefined) {
                ConfigStorage.getDatabase().transaction(function (tx) {
                    tx.executeSql(ConfigStorage.CREATE_TABLE)
                    tx.executeSql("DELETE FROM settings WHERE setting=?", [ConfigStorage.company])
                })
            } else {
                compare(ConfigStorage.set(ConfigStorage.company, logins[i].company), "OK")
            }
            refreshed()
            compare(field("dox").visible, logins[i].shown, "company " + logins[i].company)
            compare(field("nox").visible, logins[i].shown, "company " + logins[i].company)
        }
    }

    // The item of the calendar's day `day` in the month it shows.
    function dayCell(item, day) {
        if (item.__date !== undefined && item.__index !== undefined && item.valid
                && item.__date.getDate() === day && item.__date.getMonth() === 2)
            return item
        for (var i = 0; i < item.children.length; ++i) {
            var found = dayCell(item.children[i], day)
            if (found)
                return found
        }
        return null
    }

    function test_datePickedFromTheCalendar() {
        var date = field("datum")
        var input = findChild(date, "dateInput")
        var calendar = date.calendar
        compare(date.calendarOpen, false)
        mouseClick(input)
        compare(date.calendarOpen, true)
        mouseClick(input)
        compare(date.calendarOpen, false, "a second click closes it")
        mouseClick(input)
        compare(date.calendarOpen, true)
        compare(calendar.weekNumbersVisible, true)
        // directly below the field
        var top = calendar.mapToItem(date, 0, 0)
        var fieldBottom = input.mapToItem(date, 0, input.height)
        compare(top.x, fieldBottom.x)
        compare(top.y, fieldBottom.y)

        calendar.visibleYear = 2026
        calendar.visibleMonth = 2
        waitForRendering(calendar)
        var cell = dayCell(calendar, 5)
        verify(cell, "the cell of 5 March")
        mouseClick(cell)
        compare(date.text, "05.03.2026")
        compare(date.calendarOpen, false)
        compare(order.collect().datum, "05.03.2026")

        // it opens on the field's date, and a click elsewhere closes it
        mouseClick(input)
        compare(calendar.selectedDate.getMonth(), 2)
        compare(calendar.selectedDate.getFullYear(), 2026)
        mouseClick(findChild(form, "belegnummer").field)
        compare(date.calendarOpen, false)
    }
}
