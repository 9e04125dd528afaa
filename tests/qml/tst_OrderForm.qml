import QtQuick 2.15
import QtTest 1.15

import "../../src/views/auftraege"
import "../../src/api/service_assignment.js" as ServiceAssignment
import "../../static/colors.js" as Colors

// The order form as the change of an order uses it, with its controller:
// filled from an order record of the reference server, and collected again
// as an order record.
ShellTestCase {
    id: _case
    name: "OrderForm"
    width: 1200
    height: 1400

    Component {
        id: _formComponent
        Item {
            property alias form: _form
            property alias controller: _controller
            width: 1100
            height: _form.implicitHeight
            OrderForm {
                id: _form
                width: 1100
                title: "Auftragsänderung"
                customerEditable: false
                customerLabel: "Kundenname"
                labelColor: Colors.c_darker_white
            }
            OrderFormController {
                id: _controller
                form: _form
            }
        }
    }

    property var form: null
    property var controller: null
    property var taxes: []
    property var order: null

    function initTestCase() {
        verify(testServer.running, "the reference server runs")
        token = login()
        taxes = reply(ServiceAssignment.get_taxes, [token])
        verify(taxes.length >= 3)
        var page = reply(ServiceAssignment.get_assignments, [1, token])
        verify(page.length > 0, "the demo data has orders")
        order = reply(ServiceAssignment.get_assignment, [page[0].id, token])
        verify(order.customer_assignment && order.taxes, "a complete order record")
    }

    function init() {
        var host = createTemporaryObject(_formComponent, _case)
        form = host.form
        controller = host.controller
        controller.setTaxes(taxes)
    }

    function field(name) {
        var item = findChild(form, name)
        verify(item, name)
        return item
    }

    // the server's order with some fields replaced
    function record(changes) {
        var copy = JSON.parse(JSON.stringify(order))
        for (var key in changes)
            copy[key] = changes[key]
        return copy
    }

    function test_fillTakesTheRecordsTaxRowWhateverTheShipmentType_data() {
        return [
            { tag: "second row, not an express type", sendungsart: 1, tax: 1 },
            { tag: "first row, an express type", sendungsart: 11, tax: 0 }
        ]
    }

    function test_fillTakesTheRecordsTaxRowWhateverTheShipmentType(data) {
        controller.fill(record({ sendungsart: data.sendungsart, taxes: { id: taxes[data.tax].id, tax: taxes[data.tax].tax } }))
        compare(field("sendungsart").currentIndex, data.sendungsart)
        compare(field("prozentart").currentIndex, data.tax)
        compare(controller.collect().prozentsatz_id, taxes[data.tax].id)
        // the shipment type chosen afterwards preselects again
        field("sendungsart").currentIndex = 13
        compare(field("prozentart").currentIndex, 1)
    }

    function test_fillAndCollect() {
        field("dox").checked = true
        var filled = record({
            datum: "07.01.2026", belegnummer: "B-9", referenz: "Ref 9", textbeschreibung: "Palette",
            gewicht: "300", sendungsart: 3, versandpartner: 6, richtung: 4, verkaufspreis: 120.5,
            einkaufspreis: "80", zustellung_im_aussengebiet: false, abholung_im_aussengebiet: true,
            versand_oversized: true, versand_heavy_weight: true, versand_nicht_stapelbare_palette: false,
            zustellung_samstags: true, abholung_samstags: false, gebuehr_fuer_zusaetzliche_handhabung: true,
            praemie_fuer_transportversicherung: false, betrag_fuer_praemie_fuer_transportversicherung: 12.5,
            gebuehr_fuer_erstellung_einer_ae: true, gebuehr_fuer_kein_envelope: false,
            zeitfensterzustellung: true, betrag_fuer_zeitfenstereinstellungen: "4.20",
            taxes: { id: taxes[2].id, tax: taxes[2].tax }
        })
        controller.fill(filled)
        var customer = order.customer_assignment
        compare(form.customerName, customer.surname + " " + customer.lastname)
        compare(findChild(form, "customerReadOnly").visible, true)
        compare(findChild(form, "customerReadOnly").readOnly, true)
        compare(form.customerField.visible, false)
        compare(findChild(form, "title").visible, true)
        compare(field("dox").checked, true, "dox and nox are no part of an order")
        // the amount of an unchecked box is there, but not sent
        compare(field("praemie_fuer_transportversicherung").amount, "12.5")
        compare(controller.collect(), {
            datum: "07.01.2026", belegnummer: "B-9", referenz: "Ref 9", textbeschreibung: "Palette", gewicht: "300",
            sendungsart: 3, versandpartner: 6, richtung: 4, prozentsatz_id: taxes[2].id, verkaufspreis: "120.5",
            einkaufspreis: "80", zustellung_im_aussengebiet: false, abholung_im_aussengebiet: true,
            versand_oversized: true, versand_heavy_weight: true, versand_nicht_stapelbare_palette: false,
            zustellung_samstags: true, abholung_samstags: false, gebuehr_fuer_zusaetzliche_handhabung: true,
            praemie_fuer_transportversicherung: false, betrag_fuer_praemie_fuer_transportversicherung: "",
            gebuehr_fuer_erstellung_einer_ae: true, gebuehr_fuer_kein_envelope: false, zeitfensterzustellung: true,
            betrag_fuer_zeitfenstereinstellungen: "4.20"
        })
        compare(controller.customerId, String(customer.id))
        // until its box is checked again
        mouseClick(field("praemie_fuer_transportversicherung").box)
        compare(controller.collect().betrag_fuer_praemie_fuer_transportversicherung, "12.5")
    }

    function test_fillWithoutAWholeCustomerOrAKnownTaxRow() {
        controller.fill(record({ customer_assignment: { id: 3, surname: "Anna", lastname: "" },
                                 taxes: { id: 99, tax: "7%" }, sendungsart: 11 }))
        compare(form.customerName, "")
        compare(field("prozentart").currentIndex, -1, "no row has the record's tax text")
        compare(controller.collect().prozentsatz_id, null)
        controller.fill(record({ customer_assignment: null }))
        compare(form.customerName, "")
        compare(controller.customerId, "")
    }

    // Relative luminance of a colour (as the contrast of text on a background is measured).
    function luminance(c) {
        var channel = function (v) { return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4) }
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b)
    }

    // Outside macOS the drop-down lists open light, with dark, readable rows.
    function test_dropDownListsAreLightOutsideMacos() {
        compare(c_OsType === "macos", Qt.platform.os === "osx", "the system's own tag")
        var box = field("sendungsart").box
        box.popup.open()
        tryCompare(box.popup, "opened", true)
        var background = box.popup.background.color
        var row = box.popup.contentItem.itemAtIndex(0).contentItem
        verify(luminance(background) > 0.8, "a light list: " + background)
        var contrast = (luminance(background) + 0.05) / (luminance(row.color) + 0.05)
        verify(contrast >= 4.5, "readable rows: " + row.color + " on " + background + ", " + contrast)
        box.popup.close()
    }
}
