import QtQuick 2.15
import QtTest 1.15

import "../../src/controls"
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../dynamic/variables.js" as Dynamic

// The suggestions field typed into with the keyboard: when it asks its host,
// how the arrow keys move, and what Return, Escape and a click choose.
ShellTestCase {
    id: _case
    name: "SuggestionsField"
    width: 600
    height: 400

    // a host as the new-order view has it: customers by full name from the backend
    Component {
        id: _customerHostComponent
        SuggestionsField {
            id: _customerField
            width: 400
            delegate_name: "customer_fullname"
            function makeRequest(text) {
                ServiceCustomer.get_search_customer_fullname(text, Dynamic.getToken(), function (reply) {
                    _customerField.searchListModel.clear()
                    if (reply === -1) {
                        _customerField.searchfield.visible = false
                        return
                    }
                    for (var i = 0; i < reply.length; ++i)
                        _customerField.searchListModel.append(reply[i])
                    if (reply.length === 1 && reply[0].surname + " " + reply[0].lastname === _customerField.controlText)
                        _customerField.searchfield.visible = false
                })
            }
        }
    }

    // a host that only notes what it is asked; the test fills the list itself
    Component {
        id: _quietHostComponent
        SuggestionsField {
            property var requests: []
            width: 400
            function makeRequest(text) { requests = requests.concat([text]) }
        }
    }

    SignalSpy { id: _clickedSpy; signalName: "itemclicked" }
    SignalSpy { id: _notCorrectSpy; signalName: "item_not_correct" }

    function init() {
        _clickedSpy.clear()
        _notCorrectSpy.clear()
        testServer.clearRecords()
    }

    function createField(component, rows) {
        var field = createTemporaryObject(component, _case)
        _clickedSpy.target = field
        _notCorrectSpy.target = field
        for (var i = 0; rows && i < rows.length; ++i)
            field.searchListModel.append(rows[i])
        return field
    }

    function typeText(text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
    }

    function searches() {
        return testServer.records().filter(function (r) { return r.path === "/customer/search" })
    }

    function customers() {
        return [{ id: 11, surname: "Anna", lastname: "Schmidt" },
                { id: 12, surname: "Thomas", lastname: "Wagner" },
                { id: 13, surname: "Petra", lastname: "Schäfer" }]
    }

    function test_asksTheBackendFromTheSecondCharacter() {
        var field = createField(_customerHostComponent)
        compare(field.height, 53 * c_Scale)
        compare(field.z, 100)
        verify(!field.searchfield.visible)
        mouseClick(field.textfield)
        keyClick("A")
        wait(200)
        compare(searches().length, 0)
        verify(!field.searchfield.visible)
        keyClick("n")
        verify(field.searchfield.visible)
        tryVerify(function () { return field.searchListModel.count > 0 }, 5000, "suggestions arrive")
        var sent = searches()
        compare(sent.length, 1)
        compare(JSON.parse(sent[0].body).fullname, "An")
        compare(field.searchListModel.get(0).surname.indexOf("An") >= 0
                || field.searchListModel.get(0).lastname.indexOf("an") >= 0, true)
        // the box hangs below the field, overlapping it
        compare(field.searchfield.y, field.textfield.height - 8 * c_Scale)
        compare(field.searchfield.width, field.textfield.width)
        compare(field.searchfield.height, 101)
    }

    // At scale 0.7 the field is 37 pixels high: the text must still fit between the paddings.
    function test_lowFieldKeepsCapitalsWhole() {
        var field = createField(_quietHostComponent)
        field.height = 53 * 0.7
        field.controlText = "ÄÖÜ Éclair"
        var input = field.textfield
        verify(input.topPadding + input.contentHeight <= input.height - input.bottomPadding,
               "text " + input.contentHeight + " high between paddings " + input.topPadding + " and " + input.bottomPadding)
    }

    function test_matchingTheCurrentRowInOtherCaseChoosesIt() {
        var field = createField(_quietHostComponent, customers())
        mouseClick(field.textfield)
        keyClick(Qt.Key_Down)
        compare(field.currentIndex, 1)
        typeText("thomas wagne")
        verify(_notCorrectSpy.count > 0)
        compare(_clickedSpy.count, 0)
        verify(field.searchfield.visible)
        keyClick("R")
        verify(_clickedSpy.count > 0)
        compare(_clickedSpy.signalArguments[0][0], 1)
        compare(field.controlText, "Thomas Wagner")
        verify(!field.searchfield.visible)
        // one character asked nothing, every longer text asked once
        compare(field.requests[0], "th")
        compare(field.requests.indexOf("t"), -1)
    }

    function test_arrowKeysWrapAround() {
        var field = createField(_quietHostComponent, customers())
        mouseClick(field.textfield)
        compare(field.currentIndex, 0)
        keyClick(Qt.Key_Up)
        compare(field.currentIndex, 2)
        keyClick(Qt.Key_Down)
        compare(field.currentIndex, 0)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Down)
        compare(field.currentIndex, 2)
        keyClick(Qt.Key_Up)
        compare(field.currentIndex, 1)
    }

    function test_returnTakesTheCurrentRow() {
        var field = createField(_quietHostComponent, customers())
        mouseClick(field.textfield)
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Return)
        verify(_clickedSpy.count > 0)
        compare(_clickedSpy.signalArguments[0][0], 2)
        compare(field.controlText, "Petra Schäfer")
        compare(field.searchListModel.get(_clickedSpy.signalArguments[0][0]).id, 13)
    }

    function test_returnWithoutSuggestionsDoesNothing() {
        var field = createField(_quietHostComponent)
        mouseClick(field.textfield)
        typeText("x")
        keyClick(Qt.Key_Return)
        compare(_clickedSpy.count, 0)
        compare(field.controlText, "x")
    }

    function test_escapeEmptiesTheListButKeepsTheText() {
        var field = createField(_quietHostComponent, customers())
        mouseClick(field.textfield)
        typeText("schm")
        verify(field.searchfield.visible)
        keyClick(Qt.Key_Escape)
        compare(field.searchListModel.count, 0)
        verify(!field.searchfield.visible)
        compare(field.controlText, "schm")
    }

    function test_clickOnARowChoosesIt() {
        var field = createField(_quietHostComponent, customers())
        field.searchfield.visible = true
        waitForRendering(field)
        var list = field.searchfield
        // rows are 30 high and 5 apart: the middle of the second row
        mouseClick(list, 40, 1 + 30 * c_Scale + 5 * c_Scale + 15 * c_Scale)
        verify(_clickedSpy.count > 0)
        compare(_clickedSpy.signalArguments[0][0], 1)
        compare(field.controlText, "Thomas Wagner")
    }

    function test_articleGroupsShowTheTypeButTakeTheName() {
        var field = createField(_quietHostComponent)
        field.delegate_name = "articlegroup"
        field.searchListModel.append({ id: 4, articlename: "Hoodie", typ: "Unisex", farbe: "rot" })
        compare(field.rowText(field.searchListModel.get(0)), "Hoodie - Unisex")
        mouseClick(field.textfield)
        keyClick(Qt.Key_Return)
        compare(field.controlText, "Hoodie")
        compare(_clickedSpy.signalArguments[0][0], 0)
    }
}
