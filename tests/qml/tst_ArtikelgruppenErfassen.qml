import QtQuick 2.15
import QtTest 1.15

import "../../src/views/lager"
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// Capturing an article group against the reference server: the category is
// the one of exactly the typed name, created only when there is none and then
// only once; a failed category or group keeps the form and says so.
ShellTestCase {
    id: _case
    name: "ArtikelgruppenErfassen"
    width: 1632
    height: 918

    Component {
        id: _viewComponent
        ArtikelgruppenErfassen {
            width: _case.width
            height: _case.height
        }
    }

    property var view: null

    function init() {
        view = createTemporaryObject(_viewComponent, _case)
        waitForRendering(view)
        testServer.clearRecords()
    }

    function cleanup() {
        cannedServer.clearAnswers()
    }

    function field(name) {
        return findChild(view, name)
    }

    function fill(name, category) {
        field("articlename").text = name
        field("articleno").text = "AG-" + name.length
        field("typ").text = "Testtyp"
        field("farbe").text = "grün"
        field("size").text = "XL"
        field("lager").text = "Z-9"
        field("menge").value = 25
        field("category").controlText = category
        field("category").searchfield.visible = false
    }

    function posts(path) {
        return testServer.records().filter(function (r) { return r.method === "POST" && r.path === path })
    }

    function groupsNamed(name) {
        return reply(ServiceWarehouse.get_all_articlegroup, [token]).filter(function (g) { return g.articlename === name })
    }

    function test_categoryIsTheOneOfExactlyThatName() {
        // "Kabelbinder" comes first among the hits for "Kabel"
        var binder = reply(ServiceWarehouse.add_articlegroups_category, ["Kabelbinder", token])
        var kabel = reply(ServiceWarehouse.add_articlegroups_category, ["Kabel", token])
        verify(binder.id < kabel.id)
        fill("Netzkabel", "kABEL")
        testServer.clearRecords()
        mouseClick(field("saveButton"))
        tryCompare(view.confirmation, "opened", true, 10000)
        compare(posts("/articlegroups/category").length, 0)
        var body = JSON.parse(posts("/articlegroups")[0].body)
        compare(body.category_id, kabel.id)
        compare(body.customer_id, "")
        compare(body.quantity, 25)
        compare(field("articlename").text, "")
        compare(field("category").controlText, "")
        saveWindowGrab("warehouse-group-capture-saved.png")
    }

    function test_newCategoryIsCreatedOnceForOneSave() {
        fill("Sonnenschirm", "Gartenmöbel 7")
        testServer.clearRecords()
        var save = field("saveButton")
        mouseClick(save)
        verify(!save.enabled, "Speichern waits for the save")
        mouseClick(save)
        view.saveArticleGroup("Sonnenschirm", "", "", "", "", 1, "", "Gartenmöbel 7", "")
        tryCompare(view.confirmation, "opened", true, 10000)
        tryCompare(view, "saving", false)
        compare(posts("/articlegroups/category").length, 1)
        compare(JSON.parse(posts("/articlegroups/category")[0].body), { "keyword": "Gartenmöbel 7" })
        var category = reply(ServiceWarehouse.get_search_articlegroups_category, ["Gartenmöbel 7", token])
        compare(category.length, 1)
        compare(posts("/articlegroups").length, 1)
        compare(JSON.parse(posts("/articlegroups")[0].body).category_id, category[0].id)
        compare(groupsNamed("Sonnenschirm").length, 1)

        // the next group of that category finds it, in whatever case
        view.confirmation.close()
        tryCompare(view.confirmation, "visible", false)
        fill("Liegestuhl", "GARTENMÖBEL 7")
        testServer.clearRecords()
        mouseClick(save)
        tryCompare(view.confirmation, "opened", true, 10000)
        compare(posts("/articlegroups/category").length, 0)
        compare(JSON.parse(posts("/articlegroups")[0].body).category_id, category[0].id)
    }

    function test_failuresKeepTheForm() {
        // a category reply without an id
        fill("Regenschirm", "Schirme 3")
        cannedServer.answer("/articlegroups/category", 200, JSON.stringify({ "name": "Schirme 3" }))
        mouseClick(field("saveButton"))
        tryCompare(view, "saving", false, 10000)
        compare(view.banner.settings[0], "Artikelgruppe nicht gespeichert")
        compare(view.banner.settings[2], 4)
        verify(!view.confirmation.opened)
        compare(field("articlename").text, "Regenschirm")
        compare(field("category").controlText, "Schirme 3")
        compare(posts("/articlegroups").length, 0)

        // a group the backend refuses: a customer it does not know
        view.banner.settings = ["", "", -1]
        view._customerid = "987654"
        testServer.clearRecords()
        mouseClick(field("saveButton"))
        tryCompare(view, "saving", false, 10000)
        compare(view.banner.settings[0], "Artikelgruppe nicht gespeichert")
        verify(view.banner.settings[1].indexOf("422") >= 0, view.banner.settings[1])
        compare(field("articlename").text, "Regenschirm")
        compare(groupsNamed("Regenschirm").length, 0)
        saveWindowGrab("warehouse-group-capture-failed.png")
    }

    // what the import refuses, the capture refuses too, with the import's reasons
    function test_refusesWhatTheImportRefuses_data() {
        return [
            { tag: "no name", name: "", menge: 1, reason: "Artikelname fehlt" },
            { tag: "blank name", name: "   ", menge: 3, reason: "Artikelname fehlt" },
            { tag: "no quantity", name: "Nullware", menge: 0, reason: "Menge muss mindestens 1 sein" },
            { tag: "typed, not confirmed", name: "Nullware", typed: "0", reason: "Menge muss mindestens 1 sein" },
            { tag: "both", name: "", menge: 0, reason: "Artikelname fehlt; Menge muss mindestens 1 sein" }
        ]
    }

    function test_refusesWhatTheImportRefuses(data) {
        fill(data.name, "Refused")
        field("menge").value = data.menge === undefined ? 5 : data.menge
        if (data.typed !== undefined) {
            field("menge").contentItem.forceActiveFocus()
            field("menge").contentItem.text = data.typed
        }
        mouseClick(field("saveButton"))
        tryCompare(view.banner, "run", true)
        compare(view.banner.settings, ["Artikelgruppe nicht gespeichert", data.reason, 4])
        verify(!view.confirmation.opened)
        compare(view.saving, false)
        // (the category suggestions that fill() asked for are no save)
        compare(testServer.records().filter(function (r) {
            return r.method === "POST" && r.path !== "/articlegroups/category/search"
        }).length, 0)
        // the form stays as it was
        compare(field("articlename").text, data.name)
        compare(field("category").controlText, "Refused")
    }

    // A group stored while its reply was lost: a 2xx is stored (the form
    // empties); without a whole reply it is unclear, and the form says to
    // look before saving again.
    function test_lostReplyOfTheGroup_data() {
        return [
            { tag: "stored, reply unreadable", cut: false },
            { tag: "reply cut short", cut: true }
        ]
    }

    function test_lostReplyOfTheGroup(data) {
        fill("Verlustschirm", "")
        var body = JSON.stringify({ "id": 1, "articlename": "Verlustschirm" }) + " kaputt"
        if (data.cut) {
            cannedServer.answerCut("/articlegroups", 201, body)
        } else {
            cannedServer.answer("/articlegroups", 201, body)
            expectUnreadableReply()
        }
        mouseClick(field("saveButton"))
        tryCompare(view, "saving", false, 10000)
        if (data.cut) {
            compare(view.banner.settings[0], "Artikelgruppe unklar")
            verify(view.banner.settings[1].indexOf("Übersicht nach") >= 0, view.banner.settings[1])
            verify(!view.confirmation.opened)
            compare(field("articlename").text, "Verlustschirm")
        } else {
            tryCompare(view.confirmation, "opened", true)
            compare(field("articlename").text, "")
            // its modal backdrop would take the next row's first click
            view.confirmation.close()
            tryCompare(view.confirmation, "visible", false)
        }
    }

    // a category the backend created while its reply was unreadable is found, not created again
    function test_categoryStoredWithAnUnreadableReplyIsFound() {
        fill("Kategorieschirm", "Verlustkategorie")
        // the backend has it nevertheless
        reply(ServiceWarehouse.add_articlegroups_category, ["Verlustkategorie", token])
        // the search before the creation did not find it yet
        cannedServer.answer("/articlegroups/category/search", 204, "")
        cannedServer.answer("/articlegroups/category", 201, "{kaputt")
        testServer.clearRecords()
        expectUnreadableReply()
        mouseClick(field("saveButton"))
        tryCompare(view.confirmation, "opened", true, 10000)
        var category = reply(ServiceWarehouse.get_search_articlegroups_category, ["Verlustkategorie", token])
        compare(category.length, 1)
        compare(JSON.parse(posts("/articlegroups")[0].body).category_id, category[0].id)
    }

    function test_customerNameThatChangesIsNoCustomer() {
        var customer = field("customer")
        customer.controlText = "Julia Schmitt"
        tryVerify(function () { return customer.searchListModel.count > 0 }, 10000)
        customer.itemclicked(0)
        var chosen = customer.searchListModel.get(0)
        compare(view._customerid, String(chosen.id))
        customer.controlText = "Julia Schmitz"
        compare(view._customerid, "")
    }
}
