import QtQuick 2.15
import QtTest 1.15

import "../../src/controls"
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../dynamic/variables.js" as Dynamic

// The "Kunde auswählen" popup against the reference server: it lists every
// customer of every page, hands back the confirmed one, and reports a list
// that could not be loaded.
ShellTestCase {
    id: _case
    name: "CustomerPicker"
    width: 1000
    height: 700

    Component {
        id: _pickerComponent
        CustomerPicker {}
    }

    SignalSpy { id: _chosenSpy; signalName: "customerChosen" }
    SignalSpy { id: _failedSpy; signalName: "loadFailed" }

    property var picker: null

    function initTestCase() {
        Dynamic.setToken(login())
    }

    function init() {
        picker = createTemporaryObject(_pickerComponent, _case)
        _chosenSpy.clear()
        _failedSpy.clear()
        _chosenSpy.target = picker
        _failedSpy.target = picker
    }

    // every customer as the backend pages them, in reply order
    function allCustomers() {
        var customers = []
        for (var page = 1; page < 100; ++page) {
            var rows = reply(ServiceCustomer.get_customers, [page, Dynamic.getToken()])
            if (rows === -1)
                return customers
            customers = customers.concat(rows)
        }
        fail("no end of the customer list")
    }

    function openAndLoad() {
        picker.open()
        tryCompare(picker, "opened", true)
        tryCompare(picker, "busy", false, 10000)
    }

    function test_listsEveryPageAfterThePlaceholder() {
        var expected = allCustomers()
        verify(expected.length > 10, "the demo data fills more than one page")
        testServer.clearRecords()
        openAndLoad()
        var rows = picker.customers
        compare(rows.count, expected.length + 1)
        compare(rows.get(0).name, "- Kunde auswählen -")
        compare(rows.get(0).data, undefined)
        for (var i = 0; i < expected.length; ++i) {
            compare(rows.get(i + 1).name, expected[i].surname + " " + expected[i].lastname)
            compare(rows.get(i + 1).data.id, expected[i].id)
        }
        compare(picker.currentIndex, 0)
        compare(findChild(picker.contentItem, "customerBox").displayText, "- Kunde auswählen -")
        compare(_failedSpy.count, 0)
        // page after page until the backend says there is no further one
        var pages = testServer.records().map(function (r) { return r.query })
        var expectedPages = []
        for (var p = 1; p <= pages.length; ++p)
            expectedPages.push("page=" + p)
        compare(pages, expectedPages)
        verify(pages.length >= 3)
    }

    function test_reopeningLoadsAfresh() {
        openAndLoad()
        var count = picker.customers.count
        picker.currentIndex = 3
        picker.close()
        tryCompare(picker, "visible", false)
        openAndLoad()
        compare(picker.customers.count, count)
        compare(picker.currentIndex, 0)
    }

    function test_okHandsBackTheChosenCustomer() {
        openAndLoad()
        // OK on the placeholder does nothing
        mouseClick(findChild(picker.contentItem, "okButton"))
        compare(_chosenSpy.count, 0)
        verify(picker.opened)

        var box = findChild(picker.contentItem, "customerBox")
        mouseClick(box)
        tryVerify(function () { return box.popup.opened })
        saveWindowGrab("customer-picker-list.png")
        mouseClick(box.popup.contentItem.itemAtIndex(2))
        tryVerify(function () { return !box.popup.visible })
        compare(box.currentIndex, 2)
        mouseClick(findChild(picker.contentItem, "okButton"))
        compare(_chosenSpy.count, 1)
        compare(_chosenSpy.signalArguments[0][0].id, picker.customers.get(2).data.id)
        tryCompare(picker, "visible", false)
    }

    function test_escapeAndCancelCloseWithoutChoice() {
        openAndLoad()
        keyClick(Qt.Key_Escape)
        tryCompare(picker, "visible", false)
        openAndLoad()
        mouseClick(findChild(picker.contentItem, "cancelButton"))
        tryCompare(picker, "visible", false)
        // a click beside the popup does not close it
        openAndLoad()
        mouseClick(_case, 5, 5)
        verify(picker.opened)
        compare(_chosenSpy.count, 0)
    }

    function test_zzUnreachableBackendIsReported() {
        whileServerIsDown(function () {
            picker.open()
            tryCompare(_failedSpy, "count", 1, 10000)
            compare(picker.busy, false)
            compare(picker.customers.count, 1, "only the placeholder")
            compare(picker.customers.get(0).name, "- Kunde auswählen -")
        })
    }

    function test_zzRejectedTokenIsReported() {
        Dynamic.setToken("no-such-token")
        try {
            picker.open()
            tryCompare(_failedSpy, "count", 1, 10000)
            compare(picker.customers.count, 1)
        } finally {
            Dynamic.setToken(login())
        }
    }
}
