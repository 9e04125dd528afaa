import QtQuick 2.15

import "../../api/request.js" as Request
import "../../api/service_assignment.js" as ServiceAssignment

// What an OrderForm shows, as an order record: fills the form from one,
// collects it again under the order body's keys, keeps the percentage type in
// step with the shipment type, and turns the customer suggestions into the
// picked customer. Both hosts of the form, the new order and the change of an
// order, use one; it sends nothing. A plain object: it holds no items, so the
// form's layout stays the form's alone.
QtObject {
    id: _controller

    // the form it fills and reads
    property OrderForm form: null
    // the picked customer's id as text; "" while none is picked (or the name was changed since)
    property string customerId: ""

    // The order as the form holds it, under the order body's keys
    // (ServiceAssignment.ORDER_KEYS): texts as typed, catalogue positions,
    // the chosen tax row's id as "prozentsatz_id" (null when none is chosen),
    // the options as booleans, and each amount only while its box is checked
    // (else ""). The customer is `customerId`, apart.
    function collect() {
        var order = {}
        var keys = ServiceAssignment.ORDER_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var key = keys[i]
            switch (_kindOf(key)) {
            case "text": order[key] = form.texts[key].text; break
            case "catalogue": order[key] = form.catalogues[key].currentIndex; break
            case "tax": order[key] = _chosenTaxId(); break
            case "amount": order[key] = _box(key).checked ? _box(key).amount : ""; break
            default: order[key] = _box(key).checked
            }
        }
        return order
    }

    // Empties every field and box, puts every drop-down on its first row and
    // forgets the picked customer.
    function clear() {
        _wantedTaxId = null
        _pickedName = ""
        customerId = ""
        form.showCustomerName("")
        form.customerField.searchListModel.clear()
        form.customerField.searchfield.visible = false
        form.texts.datum.closeCalendar()
        var keys = ServiceAssignment.ORDER_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var key = keys[i]
            switch (_kindOf(key)) {
            case "text": form.texts[key].text = ""; break
            case "catalogue": form.catalogues[key].currentIndex = 0; break
            case "amount": _box(key).amount = ""; break
            case "option": _box(key).checked = false; break
            }
        }
        form.taxField.currentIndex = form.taxModel.count > 0 ? 0 : -1
        form.option("dox").checked = false
        form.option("nox").checked = false
    }

    // Fills the form from an order record as the backend keeps it: the
    // customer's name (only when both names are there), the texts, the
    // catalogue positions, the tax row whose text is the record's (none when
    // no row has it), the options and both amounts (also when their box is
    // unchecked, so that they are back when it is checked). "dox" and "nox"
    // stay as they are.
    function fill(record) {
        var customer = record.customer_assignment
        var name = customer && _text(customer.surname) !== "" && _text(customer.lastname) !== ""
                ? customer.surname + " " + customer.lastname : ""
        _pickedName = name
        form.showCustomerName(name)
        customerId = customer && customer.id !== undefined && customer.id !== null ? String(customer.id) : ""
        var keys = ServiceAssignment.ORDER_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var key = keys[i]
            var catalogue = form.catalogues[key]
            switch (_kindOf(key)) {
            case "text": form.texts[key].text = _text(record[key]); break
            case "catalogue": catalogue.currentIndex = _position(record[key], catalogue.box.count); break
            case "amount": _box(key).amount = _text(record[key]); break
            case "option": _box(key).checked = record[key] === true; break
            }
        }
        // the shipment type preselected a tax row; the record's own row replaces it
        form.taxField.currentIndex = _taxIndexOfText(record.taxes ? record.taxes.tax : undefined)
    }

    // What the user typed, for a draft: the order as collect() gives it,
    // the amounts also while their box is unchecked, and the customer's name and id.
    function draftFields() {
        var fields = collect()
        for (var key in _amounts)
            fields[key] = _box(key).amount
        fields.customer_name = form.customerName
        fields.customer_id = customerId
        return fields
    }

    // Fills the form from what draftFields() returned. A tax row that is not
    // loaded yet is chosen once setTaxes() brings it.
    function applyDraft(fields) {
        _pickedName = _text(fields.customer_name)
        form.showCustomerName(_pickedName)
        customerId = _text(fields.customer_id)
        if (form.customerField)
            form.customerField.searchfield.visible = false
        var keys = ServiceAssignment.ORDER_KEYS
        for (var i = 0; i < keys.length; ++i) {
            var key = keys[i]
            if (!(key in fields))
                continue
            var catalogue = form.catalogues[key]
            switch (_kindOf(key)) {
            case "text": form.texts[key].text = _text(fields[key]); break
            case "catalogue": catalogue.currentIndex = _position(fields[key], catalogue.box.count); break
            case "amount": _box(key).amount = _text(fields[key]); break
            case "option": _box(key).checked = fields[key] === true; break
            }
        }
        // after the shipment type, which preselects a row
        var wanted = fields.prozentsatz_id === undefined ? null : fields.prozentsatz_id
        var index = _taxIndexOfId(wanted)
        if (index >= 0 || form.taxModel.count > 0)
            form.taxField.currentIndex = index
        _wantedTaxId = index < 0 && form.taxModel.count === 0 ? wanted : null
    }

    // Replaces the percentage types with the tax rows `rows` ("id", "tax"), in
    // their order. The chosen row stays chosen when it is among them; otherwise
    // the choice follows the shipment type (see preselectTax).
    function setTaxes(rows) {
        var previous = _wantedTaxId !== null ? _wantedTaxId : _chosenTaxId()
        _wantedTaxId = null
        var taxes = form.taxModel
        taxes.clear()
        for (var i = 0; i < rows.length; ++i)
            taxes.append({ "id": rows[i].id, "key": _text(rows[i].tax) })
        var kept = -1
        for (var j = 0; previous !== null && j < taxes.count; ++j) {
            if (taxes.get(j).id === previous)
                kept = j
        }
        if (kept >= 0)
            form.taxField.currentIndex = kept
        else
            preselectTax()
    }

    // Chooses the tax row that goes with the shipment type: the second row for
    // a worldwide express type ("WW Express" in its name), else the first; the
    // last row that exists when there are fewer; none without rows.
    function preselectTax() {
        var wanted = form.catalogues.sendungsart.displayText.indexOf("WW Express") >= 0 ? 1 : 0
        form.taxField.currentIndex = Math.min(wanted, form.taxModel.count - 1)
    }

    // Shows the customers of a search reply as suggestions: a list of
    // customer records, or anything else for none (no hits, or a failure).
    // A single hit that is the name typed closes the box.
    function offerCustomers(reply) {
        var field = form.customerField
        field.searchListModel.clear()
        if (!Request.isList(reply) || reply.length === 0) {
            field.searchfield.visible = false
            return
        }
        // a row holds what the suggestion shows and what picking it needs; whole
        // records would give the list roles of changing types (and nulls it
        // cannot hold)
        for (var i = 0; i < reply.length; ++i) {
            field.searchListModel.append({ "id": reply[i].id, "surname": _text(reply[i].surname),
                                           "lastname": _text(reply[i].lastname) })
        }
        if (reply.length === 1 && field.keyText(reply[0]) === field.controlText)
            field.searchfield.visible = false
    }

    // the tax row a draft chose before the rows were loaded, or null
    property var _wantedTaxId: null
    // the customer name the picked id belongs to
    property string _pickedName: ""
    // the amounts by key, each with the option box it stands beside
    readonly property var _amounts: ({
        "betrag_fuer_praemie_fuer_transportversicherung": "praemie_fuer_transportversicherung",
        "betrag_fuer_zeitfenstereinstellungen": "zeitfensterzustellung"
    })

    // How the form holds the value of the order body's key `key`.
    function _kindOf(key) {
        if (form.texts[key])
            return "text"
        if (form.catalogues[key])
            return "catalogue"
        if (key === "prozentsatz_id")
            return "tax"
        return _amounts[key] ? "amount" : "option"
    }

    // The option box of the key `key`: the box itself, or the box an amount stands beside.
    function _box(key) {
        return form.option(_amounts[key] || key)
    }

    // A record's value as field text ("" for none).
    function _text(value) {
        return value === undefined || value === null ? "" : String(value)
    }

    // A catalogue position of a record, or -1 when the catalogue has no such row.
    function _position(value, count) {
        return typeof value === "number" && value >= 0 && value < count ? value : -1
    }

    // The id of the chosen tax row, or null.
    function _chosenTaxId() {
        var index = form.taxField.currentIndex
        return index >= 0 && index < form.taxModel.count ? form.taxModel.get(index).id : null
    }

    // The position of the tax row with the id `id`, or -1.
    function _taxIndexOfId(id) {
        for (var i = 0; id !== null && i < form.taxModel.count; ++i) {
            if (form.taxModel.get(i).id === id)
                return i
        }
        return -1
    }

    // The position of the tax row with the text `tax`, or -1.
    function _taxIndexOfText(tax) {
        for (var i = 0; tax !== undefined && i < form.taxModel.count; ++i) {
            if (form.taxModel.get(i).key === String(tax))
                return i
        }
        return -1
    }

    // the shipment type chosen preselects its tax row
    property Connections _shipmentType: Connections {
        target: _controller.form ? _controller.form.catalogues.sendungsart : null

        function onDisplayTextChanged() {
            _controller.preselectTax()
        }
    }

    // an order goes to the customer whose name the field shows, or to none
    property Connections _customerPick: Connections {
        target: _controller.form ? _controller.form.customerField : null

        function onItemclicked(index) {
            var row = target.searchListModel.get(index)
            _controller._pickedName = target.keyText(row)
            _controller.customerId = String(row.id)
        }

        function onControlTextChanged() {
            if (target.controlText !== _controller._pickedName)
                _controller.customerId = ""
        }
    }
}
