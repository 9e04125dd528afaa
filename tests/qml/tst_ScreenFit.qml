import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/request.js" as Request

// The window as the host sizes it on the office's screens (0.85 of the
// screen, c_Scale 0.7 below 1920 pixels), with each order, customer and shell
// view and popup in front. Nothing shown may be cut: no text ends in an
// ellipsis or lies beyond its view's sides, no table scrolls sideways, no
// popup is wider than its view. Keeps a picture of each for a person to look at.
OrdersTestCase {
    id: _case
    name: "ScreenFit"
    width: 1632
    height: 918

    Component {
        id: _panelComponent
        MainPanel {}
    }

    // a business customer with long values, an order of theirs, and one billed
    property var customer: null
    property var order: null
    readonly property string orderText: "Ersatzteile für die Druckmaschine, drei Kartons"

    function prepare() {
        customer = addCustomer({
            surname: "Maximiliane", lastname: "Musterfrau-Schnarrenberger",
            address_street_no: "Industriestraße 144a, Hinterhaus", address_zipcode: "70565",
            address_town: "Stuttgart-Vaihingen", address_province: "Baden-Württemberg", phone: "+49 711 98765-4321",
            fax: "+49 711 98765-4399", email: "m.musterfrau-schnarrenberger@druckmaschinen-beispiel.de",
            info: "Anlieferung nur werktags zwischen 7 und 15 Uhr über Tor 3, Rampe B"
        }, {
            company: "Schnarrenberger Druck- und Verpackungsmaschinen GmbH & Co. KG", vatid: "DE123456789",
            fuel_surcharge: "2,5", contact_person: "Frau Dr. Konstanze Hohenstein-Wiesental"
        })
        var details = {
            textbeschreibung: orderText, customer_id: customer.id, belegnummer: "PO-77866",
            referenz: "Lieferschein 2026-004711", gewicht: "1.1", verkaufspreis: "99999.50", einkaufspreis: "71.00",
            praemie_fuer_transportversicherung: true, betrag_fuer_praemie_fuer_transportversicherung: "15.00",
            zeitfensterzustellung: true, betrag_fuer_zeitfenstereinstellungen: "12.50"
        }
        order = addOrder(details)
        billOrder(addOrder(details).id)
    }

    function cleanupTestCase() {
        testScreen.use(Screen.width, Screen.height)
    }

    // What is cut in `item` and below, as "objectName: why" lines: a text
    // that ends in an ellipsis, runs out of its place or reaches beyond the
    // sides of `frame`, a field not in use that hides the beginning of its
    // value, a list or table that scrolls sideways.
    function cutItems(item, frame, found) {
        // (a card the list keeps for reuse has no width and is not shown)
        if (!item.visible || item.opacity === 0 || (item.width <= 0 && item.children.length > 0))
            return found
        var name = item.objectName || String(item).split("(")[0]
        // a field's value may be longer than the field: it scrolls with the cursor
        var isText = item.text !== undefined && item.font !== undefined && item.contentWidth !== undefined
                && item.cursorPosition === undefined
        if (item.truncated === true)
            found.push(name + ": '" + item.text + "' cut")
        if (isText && item.width > 0) {
            var room = item.width - (item.leftPadding || 0) - (item.rightPadding || 0)
            if (item.text !== "" && item.contentWidth > room + 1 && item.wrapMode === Text.NoWrap)
                found.push(name + ": '" + item.text + "' wider than its place (" + item.contentWidth + " > " + room + ")")
            var left = item.mapToItem(frame, 0, 0).x
            if (left < -1 || left + item.width > frame.width + 1)
                found.push(name + ": '" + item.text + "' beyond the sides (" + left + ", " + item.width + ")")
        }
        // a field not in use shows its value from the first character on
        if (item.cursorPosition !== undefined && !item.activeFocus && item.text !== ""
                && item.positionToRectangle(0).x < -1)
            found.push(name + ": '" + item.text + "' shown without its beginning")
        if (item.contentWidth !== undefined && item.flicking !== undefined && item.contentWidth > item.width + 1)
            found.push(name + ": scrolls sideways (" + item.contentWidth + " > " + item.width + ")")
        for (var i = 0; i < item.children.length; ++i)
            cutItems(item.children[i], frame, found)
        return found
    }

    // what is cut on the screen of the current row, as "view: item: why" lines
    property var cuts: []
    // the start of the current row's picture names
    property string prefix: ""

    // A picture of the window as `fileName` of the current screen, and what is cut in `item`.
    function shot(fileName, item, what) {
        saveWindowGrab(prefix + fileName)
        verifyFits(item, what)
    }

    function verifyFits(item, what) {
        var cut = cutItems(item, item, [])
        for (var i = 0; i < cut.length; ++i) {
            console.log("cut: " + what + ": " + cut[i])
            cuts.push(what + ": " + cut[i])
        }
    }

    // A confirmed search in `view`; waits for its hits.
    function searchFor(view, keyword) {
        var done = false
        var searched = function () { done = true }
        view.list.searched.connect(searched)
        view.modelRefresh(keyword)
        tryVerify(function () { return done && view.list.model.count > 0 }, 10000, "hits for " + keyword)
        view.list.searched.disconnect(searched)
        view.list.listView.forceLayout()
    }

    function test_screens_data() {
        return [
            { tag: "1366x768", width: 1366, height: 768 },
            { tag: "1440x900", width: 1440, height: 900 },
            { tag: "1920x1080", width: 1920, height: 1080 }
        ]
    }

    // The window on a screen of `width` × `height`, logged in; returns the working surface.
    function loggedInSurface(width, height) {
        testScreen.use(width, height)
        _case.Window.window.width = Math.round(c_Width)
        _case.Window.window.height = Math.round(c_Height)
        var panel = createTemporaryObject(_panelComponent, _case, { width: c_Width, height: c_Height })
        panel.session.login("demo", "vendrix-demo")
        tryVerify(function () { return panel.surface && panel.surface.visible }, 10000, "logged in")
        return panel.surface
    }

    function test_screens(data) {
        cuts = []
        var surface = loggedInSurface(data.width, data.height)
        var state = surface.navigationState
        prefix = "fit-" + data.tag + "-"

        state.chooseArea(0)
        state.chooseSubView(0)
        var erfasst = surface.container.viewAt(0, 0)
        tryVerify(function () { return erfasst.list.model.count > 0 }, 10000)
        verifyFits(erfasst, "Erfasst")
        searchFor(erfasst, orderText)
        shot("erfasst.png", erfasst, "Erfasst")
        verifyFits(surface.navigation, "navigation")
        verifyFits(surface.topBar, "top bar")

        erfasst.changePopup.openFor(order.id)
        tryVerify(function () { return erfasst.changePopup.currentAssignment !== null }, 10000)
        shot("auftragsaenderung.png", erfasst.changePopup.contentItem, "Auftragsänderung")
        erfasst.changePopup.close()

        erfasst.checkout(order.id)
        tryVerify(function () { return erfasst.checkoutPopup.checkout_id >= 0 }, 10000)
        saveWindowGrab(prefix + "abrechnung.png")
        var scroll = erfasst.checkoutPopup.flickable
        scroll.contentY = scroll.contentHeight - scroll.height
        shot("abrechnung-summe.png", erfasst.checkoutPopup.contentItem, "Abrechnung")
        erfasst.checkoutPopup.close()

        state.chooseSubView(1)
        var abgerechnet = surface.container.viewAt(0, 1)
        tryVerify(function () { return abgerechnet.list.model.count > 0 }, 10000)
        searchFor(abgerechnet, orderText)
        shot("abgerechnet.png", abgerechnet, "Abgerechnet")

        state.chooseSubView(3)
        var neuerAuftrag = surface.container.viewAt(0, 3)
        tryCompare(neuerAuftrag, "loadingTaxes", false, 10000)
        neuerAuftrag.controller.fill(order)
        shot("neuer-auftrag.png", neuerAuftrag, "Neuer Auftrag")
        var datum = findChild(neuerAuftrag.form, "datum")
        // the month with the longest name
        datum.text = "30.09.2026"
        datum.openCalendar()
        shot("kalender.png", datum.calendar, "calendar")
        datum.closeCalendar()
        // the longest reason a refusal can bring, and the question before sending again
        var banner = findChild(neuerAuftrag, "banner")
        banner.settings = ["Nicht Erfolgreich", Request.withReason("Auftrag konnte nicht gespeichert werden",
                                                                   new Array(41).join("Grund ").substring(0, 199) + "…"), 4]
        banner.run = true
        neuerAuftrag.resendQuestion.open()
        tryCompare(neuerAuftrag.resendQuestion, "opened", true)
        shot("frage.png", banner, "banner")
        verifyFits(neuerAuftrag.resendQuestion.contentItem, "question")
        neuerAuftrag.resendQuestion.close()
        banner.run = false
        var sendungsart = findChild(neuerAuftrag.form, "sendungsart").box
        sendungsart.popup.open()
        tryCompare(sendungsart.popup, "opened", true)
        shot("auswahlliste.png", sendungsart.popup.contentItem, "drop-down list")
        sendungsart.popup.close()

        state.chooseArea(2)
        state.chooseSubView(0)
        var kunden = surface.container.viewAt(2, 0)
        tryVerify(function () { return kunden.list.model.count > 0 }, 10000)
        shot("kunden.png", kunden, "Kunden Übersicht")
        searchFor(kunden, "Maximiliane Musterfrau")
        shot("kunden-lang.png", kunden, "Kunden Übersicht")
        kunden.openCustomer(customer.id)
        tryVerify(function () { return kunden.popup.currentCustomer !== null }, 10000)
        shot("kunde-bearbeiten.png", kunden.popup.contentItem, "customer edit popup")
        kunden.popup.close()

        state.chooseSubView(1)
        var neuerKunde = surface.container.viewAt(2, 1)
        neuerKunde.form.commercial = true
        shot("neuer-kunde.png", neuerKunde, "Neuer Kunde")
        compare(cuts, [], "nothing cut")
    }

    // Tab through every form and popup that scrolls: the field with the
    // keyboard focus is always whole in sight.
    function test_tabKeepsTheFieldInSight_data() {
        return [
            { tag: "new order", area: 0, subView: 3, first: "belegnummer" },
            { tag: "order change", area: 0, subView: 0, first: "belegnummer", popup: "changePopup" },
            { tag: "new customer", area: 2, subView: 1, first: "surname" },
            { tag: "customer change", area: 2, subView: 0, first: "surname", popup: "popup" }
        ]
    }

    function test_tabKeepsTheFieldInSight(data) {
        var surface = loggedInSurface(1440, 900)
        surface.navigationState.chooseArea(data.area)
        surface.navigationState.chooseSubView(data.subView)
        var view = surface.container.viewAt(data.area, data.subView)
        var form = view.form
        var flickable = findChild(view, "page") || view.form
        if (data.popup === "changePopup") {
            view.changePopup.openFor(order.id)
            tryVerify(function () { return view.changePopup.currentAssignment !== null }, 10000)
            form = view.changePopup.form
            flickable = view.changePopup.flickable
        } else if (data.popup === "popup") {
            view.openCustomer(customer.id)
            tryVerify(function () { return view.popup.currentCustomer !== null }, 10000)
            form = view.popup.form
            flickable = form
        }
        findChild(form, data.first).field.forceActiveFocus()
        var window = _case.Window.window
        var first = window.activeFocusItem
        for (var i = 0; i < 40; ++i) {
            keyClick(Qt.Key_Tab)
            var focused = window.activeFocusItem
            var top = focused.mapToItem(flickable, 0, 0).y
            verify(top >= 0 && top + focused.height <= flickable.height,
                   "Tab " + (i + 1) + ": " + (focused.objectName || focused) + " at " + top + " in sight")
            // round the form, not on to other pages
            if (focused === first)
                return
        }
        fail("Tab came back to the first field")
    }
}
