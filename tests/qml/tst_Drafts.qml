import QtQuick 2.15
import QtTest 1.15
import DraftStore 1.0

import "../../src/views/auftraege"
import "../../src/views/kunde"
import "../../src/views/lager"

// What is typed into the five forms that keep drafts: kept on disk a moment
// after the change (without the session's token or the password), filled into
// the next instance of the form with the banner that offers to throw it away,
// kept by a failed save and removed by a successful one.
OrdersTestCase {
    id: _case
    name: "Drafts"
    width: 1400
    height: 900

    Component {
        id: _newOrder
        NeuerAuftrag { width: _case.width; height: _case.height }
    }
    Component {
        id: _newCustomer
        NeuerKunde { width: _case.width; height: _case.height }
    }
    Component {
        id: _articleGroup
        ArtikelgruppenErfassen { width: _case.width; height: _case.height }
    }
    Component {
        id: _orderChange
        OrderChangePopup {}
    }
    Component {
        id: _customerEdit
        CustomerEditPopup {}
    }

    // an order and a customer for the change popups
    property var order: null
    property var customer: null

    function prepare() {
        order = addOrder()
        customer = addCustomer({ "surname": "Erika", "lastname": "Entwurf" })
    }

    function init() {
        cannedServer.clearAnswers()
    }

    function field(host, name) {
        var item = findChild(host.contentItem || host, name)
        verify(item, name)
        return item
    }

    // The five forms: how each is shown, typed into, saved and read back.
    function test_draft_data() {
        return [
            { tag: "new order", component: _newOrder, draft: "new-order", path: "/assignment",
              stored: '{"id": 9998}',
              show: function (view) {
                  view.refresh()
                  tryCompare(view, "loadingTaxes", false, 10000)
              },
              type: function (view) {
                  view.form.texts.belegnummer.text = "B-4711"
                  view.form.texts.referenz.text = "Entwurf"
                  view.form.texts.verkaufspreis.text = "12,50"
                  view.form.catalogues.richtung.currentIndex = 1
                  view.form.option("zustellung_samstags").checked = true
                  view.form.option("zeitfensterzustellung").amount = "3,00"
                  view.form.taxField.currentIndex = 2
              },
              fields: function (view) { return view.controller.draftFields() },
              save: function (view) {
                  view.save()
                  tryCompare(view, "saving", false, 5000)
              },
              banner: function (view) { return field(view, "banner") } },
            { tag: "new customer", component: _newCustomer, draft: "new-customer", path: "/customer",
              stored: '{"id": 9998}',
              show: function (view) {},
              type: function (view) {
                  view.form.texts.surname.text = "Anna"
                  view.form.texts.lastname.text = "Ansorge"
                  view.form.texts.info.text = "ruft morgen an"
                  view.form.country.currentIndex = 12
              },
              fields: function (view) { return view.controller.draftFields() },
              save: function (view) {
                  view.save()
                  tryCompare(view, "saving", false, 5000)
              },
              banner: function (view) { return view.banner } },
            { tag: "article group", component: _articleGroup, draft: "new-article-group", path: "/articlegroups",
              stored: '{"id": 9998}',
              show: function (view) {},
              type: function (view) {
                  field(view, "articlename").text = "Poloshirt"
                  field(view, "typ").text = "Shirt"
                  field(view, "lager").text = "A-02-01"
                  field(view, "menge").value = 120
              },
              fields: function (view) { return view._draftFields() },
              save: function (view) {
                  mouseClick(field(view, "saveButton"))
                  tryCompare(view, "saving", false, 5000)
                  view.confirmation.close()
              },
              banner: function (view) { return view.banner } },
            { tag: "order change", component: _orderChange, draft: "order-" + order.id,
              path: "/assignment/" + order.id, stored: JSON.stringify(order),
              show: function (popup) {
                  popup.openFor(order.id)
                  tryVerify(function () { return popup.opened && popup.currentAssignment !== null }, 5000)
              },
              type: function (popup) {
                  popup.form.texts.referenz.text = "geändert"
                  popup.form.option("abholung_samstags").checked = true
              },
              fields: function (popup) { return popup.controller.draftFields() },
              save: function (popup) {
                  popup.save()
                  tryCompare(popup, "busy", false, 5000)
              },
              banner: function (popup) { return popup.banner } },
            { tag: "customer edit", component: _customerEdit, draft: "customer-" + customer.id,
              path: "/customer/" + customer.id, stored: JSON.stringify(customer),
              show: function (popup) {
                  popup.idof = customer.id
                  popup.open()
                  tryVerify(function () { return popup.opened && popup.currentCustomer !== null }, 5000)
              },
              type: function (popup) {
                  popup.form.texts.phone.text = "040 999"
                  popup.form.texts.email.text = "erika@example.org"
              },
              fields: function (popup) { return popup.controller.draftFields() },
              save: function (popup) {
                  popup.save()
                  tryCompare(popup, "busy", false, 5000)
              },
              banner: function (popup) { return field(popup, "draftBanner") } }
        ]
    }

    function test_draft(data) {
        var make = function () {
            var host = createTemporaryObject(data.component, _case)
            data.show(host)
            wait(50)
            return host
        }
        var stored = function () { return DraftStore.read("demo", data.draft) }
        DraftStore.remove("demo", data.draft)

        // typing makes a draft a moment later; opening alone makes none
        var first = make()
        var untouched = JSON.stringify(data.fields(first))
        wait(first.draft.delay + 200)
        compare(stored(), "", "an untouched form keeps no draft")
        data.type(first)
        var typed = JSON.stringify(data.fields(first))
        verify(typed !== untouched, "the typing changed the form")
        tryVerify(function () { return stored() !== "" }, 3000, "the draft was written")
        compare(JSON.stringify(JSON.parse(stored())), typed)
        verify(stored().indexOf(token) < 0 && stored().indexOf("vendrix-demo") < 0, "no token or password")
        first.destroy()
        wait(0)

        // the next instance gets every field back and says so
        var second = make()
        compare(JSON.stringify(data.fields(second)), typed)
        var banner = data.banner(second)
        tryCompare(banner, "show", true, 3000)
        compare(banner.settings[0], "Entwurf wiederhergestellt")
        compare(banner.actionText, "Verwerfen")
        if (data.tag === "new order")
            saveWindowGrab("draft-restored-new-order.png")

        // a refused save keeps the draft, a stored one removes it
        cannedServer.answer(data.path, 422, '{"error": "nein"}')
        data.save(second)
        wait(second.draft.delay + 200)
        compare(JSON.stringify(JSON.parse(stored())), typed, "kept after a refused save")
        cannedServer.answer(data.path, data.path.indexOf("/", 1) > 0 ? 200 : 201, data.stored)
        data.save(second)
        cannedServer.clearAnswers()
        tryCompare(second.draft, "pending", false, 3000)
        compare(stored(), "", "removed after the save")
        second.destroy()
        wait(0)

        // "Verwerfen" puts the form back and removes the draft
        var third = make()
        data.type(third)
        tryVerify(function () { return stored() !== "" }, 3000, "the draft was written again")
        third.destroy()
        wait(0)
        var fourth = make()
        compare(JSON.stringify(data.fields(fourth)), typed)
        var offer = data.banner(fourth)
        tryCompare(offer, "show", true, 3000)
        wait(400) // the bar has slid in
        mouseClick(findChild(offer, "action"))
        compare(JSON.stringify(data.fields(fourth)), untouched)
        compare(stored(), "", "removed by Verwerfen")
        wait(fourth.draft.delay + 200)
        compare(stored(), "", "and not written again")
    }
}
