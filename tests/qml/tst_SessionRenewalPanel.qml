import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../src/api/service_warehouse.js" as ServiceWarehouse

// What the user sees when the backend ends the session in the middle of work:
// the login panel over the working surface, which keeps what was typed; a
// login of the same user sends the refused request once more and the view
// carries on; "Abmelden" gives up and shows the plain login panel.
ShellTestCase {
    id: _case
    name: "SessionRenewalPanel"
    width: 1400
    height: 900

    Component {
        id: _panelComponent
        MainPanel { width: _case.width; height: _case.height }
    }

    property var panel: null

    Component {
        id: _popupComponent
        Popup { modal: true; width: 300; height: 200 }
    }

    // a token of the test's own, for preparing data beside the panel's session
    function initTestCase() {
        verify(testServer.running, "the reference server runs")
        token = login()
    }

    function init() {
        cannedServer.clearAnswers()
        panel = createTemporaryObject(_panelComponent, _case)
        tryVerify(function () { return panel.surfaceReady }, 5000)
    }

    function loginPanel() { return findChild(panel, "loginPanel") }

    function logIn() {
        tryCompare(loginPanel(), "height", _case.height, 3000)
        loginPanel().userField.text = "demo"
        loginPanel().passwordField.text = "vendrix-demo"
        mouseClick(loginPanel().loginButton)
        tryCompare(panel.surface, "visible", true, 10000)
        tryCompare(loginPanel(), "visible", false, 3000)
    }

    function showView(area, subView) {
        panel.surface.navigationState.chooseArea(area)
        panel.surface.navigationState.chooseSubView(subView)
        return panel.surface.container.viewAt(area, subView)
    }

    // the panel asks for the session's user to log in again, over the surface
    function expectRenewal() {
        var login = loginPanel()
        tryCompare(login, "opacity", 1, 5000)
        verify(login.renewing)
        verify(findChild(login, "expiredLine").visible)
        compare(findChild(login, "expiredLine").text, "Sitzung abgelaufen – bitte erneut anmelden")
        compare(login.userField.text, "demo")
        verify(login.userField.readOnly, "no other user")
        compare(login.passwordField.text, "")
        verify(login.passwordField.activeFocus, "the password is typed in at once")
        verify(panel.surface.visible, "the surface stays underneath")
    }

    function typePasswordAndReturn() {
        var password = "vendrix-demo"
        for (var i = 0; i < password.length; ++i)
            keyClick(password[i])
        keyClick(Qt.Key_Return)
        tryVerify(function () { return !panel.session.expired }, 10000, "renewed")
        tryCompare(loginPanel(), "visible", false, 3000)
    }

    // requests of `method` `path` that reached the reference server with the session's token
    function sentWithToken(method, path) {
        return testServer.records().filter(function (r) {
            return r.method === method && r.path === path
                    && header(r, "Authorization") === "Bearer " + panel.session.token
        }).length
    }

    function field(item, name) {
        var found = findChild(item, name)
        verify(found, name)
        return found
    }

    // the open delivery order and a group with pieces to book
    function prepareBooking() {
        if (reply(ServiceWarehouse.check_last_item, [token]).length === 0) {
            var last = reply(ServiceWarehouse.get_last_deliveryno, [token])
            reply(ServiceWarehouse.add_deliveryorder,
                  [new Date(), last.length > 0 ? last[0].deliveryorders_no + 1 : 1, false, 1, token])
        }
        return reply(ServiceWarehouse.add_articlegroup,
                     ["Erneuerungsjacke", "T-9", "blau", "L", "Testware", 9, "T-01", undefined, "1", token])
    }

    function startSave() {
        var view = showView(0, 3)
        tryCompare(view, "loadingTaxes", false, 10000)
        var form = view.form
        form.customerField.controlText = "Anna Schmidt"
        view.controller.customerId = String(reply(ServiceCustomer.get_search_customer_fullname,
                                                  ["Anna Schmidt", token])[0].id)
        field(form, "belegnummer").text = "B-401"
        field(form, "text").text = "Kartons, halb erfasst"
        field(form, "gewicht").text = "7,5"
        field(form, "gewicht").forceActiveFocus()
        view.save()
        return view
    }

    function startBooking(group) {
        var view = showView(1, 0)
        var name = field(view, "articleName")
        name.controlText = group.articlename
        tryCompare(name.searchListModel, "count", 1, 10000)
        name.itemclicked(0)
        field(view, "menge").value = 4
        field(view, "ean").text = "4006381333931"
        view.saveProcess()
        return view
    }

    function startPagedLoad() {
        return showView(2, 0)
    }

    function test_viewCarriesOnAfterTheRenewal_data() {
        return [
            { tag: "save", path: "/assignment", start: startSave, after: function (view) {
                compare(field(view, "belegnummer").text, "B-401", "the typing is kept")
                saveWindowGrab("session-renewal-over-new-order.png")
            }, done: function (view) {
                tryCompare(view, "saving", false, 10000)
                compare(findChild(view, "banner").settings[0], "Erfolgreich")
                compare(sentWithToken("POST", "/assignment"), 1)
            } },
            { tag: "booking", path: "/articleinventory", prepare: prepareBooking, start: startBooking,
              done: function (view, group) {
                tryCompare(view.confirmation, "opened", true, 10000)
                compare(sentWithToken("POST", "/articleinventory"), 1)
                compare(sentWithToken("PUT", "/articlegroups/" + group.id), 1)
            } },
            { tag: "paged load", path: "/customer", start: startPagedLoad, done: function (view) {
                tryVerify(function () { return view.list.model.count > 0 }, 10000, "the customers are listed")
                compare(sentWithToken("GET", "/customer"), 1)
            } }
        ]
    }

    function test_viewCarriesOnAfterTheRenewal(data) {
        var prepared = data.prepare ? data.prepare() : null
        logIn()
        cannedServer.answer(data.path, 401, '{"error": "the session token is not valid"}')
        var view = data.start(prepared)
        // the refusal is still on its way
        var focused = _case.Window.window.activeFocusItem
        verify(focused !== null)
        expectRenewal()
        if (data.after)
            data.after(view)
        testServer.clearRecords()
        typePasswordAndReturn()
        // (the booking and the list move the keyboard on by themselves as they go)
        if (data.tag === "save")
            verify(_case.Window.window.activeFocusItem === focused, "the keyboard is back where it was")
        data.done(view, prepared)
        wait(300)
        verify(!panel.session.expired)
        compare(testServer.records().filter(function (r) { return r.path === "/tokens" }).length, 1, "one login")
    }

    // "Abmelden" on the renewal gives up: the save fails as before and the
    // plain login panel shows; a deliberate logout never says "abgelaufen".
    function test_givingUpAndLoggingOut() {
        logIn()
        cannedServer.answer("/assignment", 401, '{"error": "the session token is not valid"}')
        var view = startSave()
        // a modal popup of a view is open when the session ends
        var popup = createTemporaryObject(_popupComponent, view)
        popup.open()
        expectRenewal()
        // the panel takes the clicks above it, and the popup stays
        mouseClick(loginPanel().giveUpButton)
        tryCompare(view, "saving", false, 5000)
        compare(findChild(view, "banner").settings[0], "Nicht Erfolgreich")
        compare(field(view.form, "belegnummer").text, "B-401", "the form keeps the order")
        verify(popup.opened)
        verify(!panel.session.loggedIn)
        tryCompare(panel.surface, "visible", false, 5000)
        verify(!loginPanel().renewing)
        verify(!findChild(loginPanel(), "expiredLine").visible)
        verify(!loginPanel().userField.readOnly)

        loginPanel().passwordField.text = "vendrix-demo"
        mouseClick(loginPanel().loginButton)
        tryCompare(loginPanel(), "visible", false, 5000)
        verify(popup.opened, "what the surface had open is there again")
        popup.close()
        panel.stopApi()
        tryCompare(loginPanel(), "opacity", 1, 5000)
        verify(!findChild(loginPanel(), "expiredLine").visible)
        verify(!loginPanel().renewing)
    }
}
