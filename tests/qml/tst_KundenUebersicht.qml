import QtQuick 2.15
import QtTest 1.15

import "../../src/views/kunde"
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../dynamic/variables.js" as Dynamic

// The customer overview against the reference server: what its cards show,
// finding a customer from the top bar, and changing it from its card's
// wrench until the card shows the change. Keeps pictures of the list, a
// business card and the edit popup.
ShellTestCase {
    id: _case
    name: "KundenUebersicht"
    // a 1920 × 1080 screen's container at scale 1
    width: 1592
    height: 788

    QtObject {
        id: notifier
        property var messages: []
        function notify(settings) { messages.push(settings) }
        function notifyConnectionProblem() { messages.push("connection") }
    }

    Component {
        id: viewComponent
        KundenUebersicht {
            width: _case.width
            height: _case.height
            notifier: notifier
        }
    }

    property var view: null

    function initTestCase() {
        verify(testServer.running, "the reference server runs")
        token = login()
        Dynamic.setToken(token)
    }

    function init() {
        cannedServer.clearAnswers()
        view = createTemporaryObject(viewComponent, _case)
        tryCompare(view.list.model, "count", 10, 10000)
    }

    function createCustomer(surname, lastname, country, commercial) {
        var commercialId
        if (commercial)
            commercialId = reply(ServiceCustomer.add_customer_commercial,
                                 [commercial.company, commercial.vatid, "3,5", commercial.contact_person, token]).id
        var created = reply(ServiceCustomer.add_customer,
                            [surname, lastname, "Am Graben 1", "1010", "Wien", country, "Wien", "+43 1 1",
                             "+43 1 2", surname.toLowerCase() + "@example.at", "Nur vormittags", !!commercial,
                             commercialId, token])
        verify(created.id > 0, JSON.stringify(created))
        return created
    }

    // the card of row `index`, once the list has built it
    function card(index) {
        var item = null
        tryVerify(function () {
            item = view.list.listView.itemAtIndex(index)
            return item !== null
        }, 5000, "card " + index)
        return item
    }

    function cardText(item, name) {
        return findChild(findChild(item, name), "value").text
    }

    // a confirmed search from the top bar, and its hits on the cards
    function search(keyword, hits) {
        view.modelRefresh(keyword)
        tryCompare(view.list.model, "count", hits, 10000)
    }

    function openFromCard(item) {
        mouseClick(item, 20, 20)
        var wrench = findChild(item, "modify")
        tryCompare(findChild(item, "actionColumn"), "width", 80, 2000)
        mouseClick(wrench)
        var popup = view.popup
        tryVerify(function () { return popup.opened && popup.currentCustomer !== null && !popup.busy }, 10000)
        return popup
    }

    function pressSave(popup) {
        var button = findChild(popup.form, "saveButton")
        tryVerify(function () {
            var form = popup.form
            form.contentY = Math.max(0, form.contentHeight - form.height)
            var at = button.mapToItem(form, 0, 0)
            return at.y >= 0 && at.y + button.height <= form.height
        }, 2000, "Speichern in view")
        mouseClick(button)
    }

    function test_cardsShowCountryNamesAndBusinessColumns() {
        createCustomer("Grete", "Kartenprivat", 132)
        createCustomer("Hans", "Kartenohneland", -1)
        createCustomer("Ida", "Kartenfirma", 36, { company: "Ida & Co. KG", vatid: "ATU1234",
                                                   contact_person: "Frau Ida" })
        search("Karten", 3)

        var austrian = card(0)
        compare(findChild(austrian, "country").text, "Österreich", "the card's name, without the picker's comma")
        compare(findChild(austrian, "zipcodeTown").text, "1010 Wien")
        compare(cardText(austrian, "fax"), "+43 1 2")
        compare(cardText(austrian, "info"), "Nur vormittags")
        verify(!findChild(austrian, "business").visible, "no business column for a private customer")

        compare(findChild(card(1), "country").text, "", "an unknown country shows nothing")

        var business = card(2)
        verify(findChild(business, "business").visible)
        compare(cardText(business, "company"), "Ida & Co. KG")
        compare(cardText(business, "vatid"), "ATU1234")
        compare(cardText(business, "contact_person"), "Frau Ida")
        compare(findChild(business, "country").text, "Deutschland")
        saveWindowGrab("kunden-suche-karten.png")
        var grabbed = false
        business.grabToImage(function (result) {
            grabbed = result.saveToFile(screenshotDirectory + "/kunden-geschaeftskarte.png")
        })
        tryVerify(function () { return grabbed })
    }

    // Found with the top bar's search, changed in the popup: the card shows
    // the change, and the list still shows the search's hits.
    function test_changeFromTheCard_data() {
        return [
            { tag: "private", commercial: undefined },
            { tag: "business", commercial: { company: "Alte Firma GmbH", vatid: "DE1", contact_person: "Herr A" } }
        ]
    }

    function test_changeFromTheCard(data) {
        var lastname = "Aendern" + data.tag
        createCustomer("Karl", lastname, 36, data.commercial)
        search("Karl " + lastname, 1)
        var popup = openFromCard(card(0))
        compare(findChild(popup.form, "lastname").text, lastname)
        verify(!findChild(popup.form, "commercialability").enabled)
        findChild(popup.form, "address_town").text = "Graz"
        if (data.commercial) {
            findChild(popup.form, "company").text = "Neue Firma GmbH"
            saveWindowGrab("kunden-bearbeiten.png")
        }
        pressSave(popup)
        tryCompare(popup, "visible", false, 10000)
        tryCompare(view.banner, "run", true)
        compare(view.banner.settings, ["Erfolgreich", "Kunde wurde erfolgreich geändert", 2])
        tryVerify(function () {
            var row = view.list.model.count === 1 ? view.list.model.get(0) : null
            return row && row.address_town === "Graz"
        }, 10000, "the hit again, as stored")
        verify(view.list.isSearching)
        compare(findChild(card(0), "zipcodeTown").text, "1010 Graz")
        if (data.commercial)
            compare(cardText(card(0), "company"), "Neue Firma GmbH")
    }

    function test_refusedChangeShowsAboveThePopup() {
        var customer = createCustomer("Lena", "Abgewiesen", 36)
        search("Lena Abgewiesen", 1)
        var popup = openFromCard(card(0))
        findChild(popup.form, "surname").text = "Magda"
        cannedServer.answer("/customer/" + customer.id, 500, '{"error":"database locked"}')
        pressSave(popup)
        tryCompare(view.banner, "run", true, 10000)
        compare(view.banner.settings, ["Nicht Erfolgreich", "Kunde konnte nicht geändert werden", 4])
        verify(popup.visible, "the popup stays with the input")
        compare(findChild(popup.form, "surname").text, "Magda")
        compare(view.banner.parent, popup.contentItem, "the banner stands above the popup")
        saveWindowGrab("kunden-bearbeiten-fehler.png")
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        compare(view.banner.parent, view)
    }

    function test_customerGoneMeanwhile() {
        var customer = createCustomer("Otto", "Geloescht", 36)
        search("Otto Geloescht", 1)
        var item = card(0)
        compare(reply(ServiceCustomer.delete_item_customer, [customer.id, token]), 0)
        mouseClick(item, 20, 20)
        tryCompare(findChild(item, "actionColumn"), "width", 80, 2000)
        mouseClick(findChild(item, "modify"))
        tryCompare(view.banner, "run", true, 10000)
        compare(view.banner.settings, ["Kunden änderung", "Kunde wurde nicht gefunden, änderung nicht möglich", 4])
        tryCompare(view.popup, "visible", false)
    }

    function test_escapeClosesThePopupOpenedFromAPage() {
        var popup = openFromCard(card(1))
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
    }

    function test_overviewPicture() {
        view.list.select(1)
        saveWindowGrab("kunden-uebersicht.png")
    }
}
