import QtQuick 2.15
import QtTest 1.15

import "../../src/views/auftraege"
import "../../src/api/service_assignment.js" as ServiceAssignment
import "../../static/colors.js" as Colors

// Pictures of the order form for a person to look at: the new-order page
// filled in, with its calendar open, and the form as the change of an order
// shows it (title, read-only customer, light labels on purple).
ShellTestCase {
    id: _case
    name: "OrderFormPictures"
    // a 1920 × 1080 screen's working surface at scale 1
    width: 1350
    height: 820

    Component {
        id: _viewComponent
        NeuerAuftrag {
            width: _case.width
            height: _case.height
        }
    }

    Component {
        id: _changeComponent
        Rectangle {
            property alias form: _form
            property alias controller: _controller
            width: _case.width
            height: _case.height
            color: Colors.c_light_purple
            Flickable {
                anchors.fill: parent
                contentHeight: _form.implicitHeight + 60
                OrderForm {
                    id: _form
                    x: 40
                    y: 30
                    width: parent.width - 80
                    title: "Auftragsänderung"
                    customerEditable: false
                    customerLabel: "Kundenname"
                    labelColor: Colors.c_darker_white
                }
            }
            OrderFormController {
                id: _controller
                form: _form
            }
        }
    }

    function initTestCase() {
        token = logInSession()
    }

    function fill(form) {
        findChild(form, "belegnummer").text = "B-2026-0042"
        findChild(form, "datum").pick(new Date(2026, 2, 5))
        findChild(form, "referenz").text = "Lieferung Lager Nord"
        findChild(form, "text").text = "3 Kartons Ersatzteile"
        findChild(form, "gewicht").text = "12,5"
        findChild(form, "versandpartner").currentIndex = 2
        findChild(form, "sendungsart").currentIndex = 13
        findChild(form, "richtung").currentIndex = 2
        findChild(form, "verkaufspreis").text = "99.90"
        findChild(form, "einkaufspreis").text = "70.00"
        findChild(form, "zustellung_im_aussengebiet").checked = true
        findChild(form, "praemie_fuer_transportversicherung").checked = true
        findChild(form, "praemie_fuer_transportversicherung").amount = "15.00"
        findChild(form, "versand_heavy_weight").checked = true
    }

    function test_pictures() {
        var view = createTemporaryObject(_viewComponent, _case)
        view.refresh()
        tryCompare(view, "loadingTaxes", false, 10000)
        var form = view.form
        var taxes = reply(ServiceAssignment.get_taxes, [token])
        form.customerField.controlText = "Anna Schmidt"
        tryVerify(function () { return form.customerField.searchListModel.count === 1 }, 10000)
        fill(form)
        saveWindowGrab("neuer-auftrag-filled.png")
        var flick = findChild(view, "page")
        flick.contentY = flick.contentHeight - flick.height
        saveWindowGrab("neuer-auftrag-filled-bottom.png")
        flick.contentY = 0
        mouseClick(findChild(form, "dateInput"))
        verify(findChild(form, "datum").calendarOpen)
        saveWindowGrab("neuer-auftrag-calendar.png")
        // the suggestions of a customer name
        keyClick(Qt.Key_Escape)
        form.customerField.controlText = "An"
        tryVerify(function () { return form.customerField.searchListModel.count > 1 }, 10000)
        saveWindowGrab("neuer-auftrag-suggestions.png")
        view.visible = false

        var change = createTemporaryObject(_changeComponent, _case)
        change.controller.setTaxes(taxes)
        var order = reply(ServiceAssignment.get_assignment, [
            reply(ServiceAssignment.get_assignments, [1, token])[0].id, token])
        change.controller.fill(order)
        saveWindowGrab("order-form-change.png")
    }
}
