.pragma library
.import "statics.js" as BASES
.import "request.js" as Request

// Orders ("assignments"), their billing through a checkout preview, and the tax list.

var BASE = BASES.URL

// The keys of the order body, in the backend's order. An order travels as a
// record under these keys (the order form's controller collects one); the
// functions that take the order's values by position take them in this order.
// Invoices carry the same body.
var ORDER_KEYS = ["datum", "belegnummer", "referenz", "textbeschreibung", "gewicht", "sendungsart",
                  "versandpartner", "richtung", "prozentsatz_id", "verkaufspreis", "einkaufspreis",
                  "zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
                  "versand_heavy_weight", "versand_nicht_stapelbare_palette", "zustellung_samstags",
                  "abholung_samstags", "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
                  "betrag_fuer_praemie_fuer_transportversicherung", "gebuehr_fuer_erstellung_einer_ae",
                  "gebuehr_fuer_kein_envelope", "zeitfensterzustellung", "betrag_fuer_zeitfenstereinstellungen"]

// The order body of the record `p_order`, with "customer_id" last when
// `p_customer_id` is given: a create names the customer, a change never moves
// an order to another one.
function order_body(p_order, p_customer_id) {
    var body = Request.bodyOf(ORDER_KEYS, p_order)
    if (p_customer_id !== undefined)
        body.customer_id = p_customer_id
    return body
}

// One page of orders (pages count from 1); -1 past the last page. Logs the status.
function get_assignments(p_page, p_Token, cb) {
    Request.get(BASE + "/assignment?page=" + p_page, p_Token,
                Request.logStatus("get_assignments", Request.pageOrEnd), cb)
}

// One order.
function get_assignment(id, p_Token, cb) {
    Request.get(BASE + "/assignment/" + id, p_Token, Request.parse, cb)
}

// Captures the order `p_order` (a record under ORDER_KEYS) for the customer
// `p_customer_id`; the new record, or -1 when it was not created.
function add_assignment_record(p_order, p_customer_id, p_Token, cb) {
    Request.post(BASE + "/assignment", order_body(p_order, p_customer_id), p_Token, Request.created, cb)
}

// add_assignment(the order's values in the order of ORDER_KEYS, p_customer_id, p_Token, cb):
// add_assignment_record with the values by position.
function add_assignment() {
    Request.callWithRecord(add_assignment_record, ORDER_KEYS, arguments, 0)
}

// Changes the order `p_id` to the record `p_order` (its customer stays); the reply for 200, else -1.
function update_assignment_record(p_id, p_order, p_Token, cb) {
    Request.put(BASE + "/assignment/" + p_id, order_body(p_order), p_Token, Request.updated, cb)
}

// update_assignment(p_id, the order's values in the order of ORDER_KEYS, p_Token, cb):
// update_assignment_record with the values by position.
function update_assignment() {
    Request.callWithRecord(update_assignment_record, ORDER_KEYS, arguments, 1)
}

// Deletes an order: 0 when done, -1 otherwise.
function delete_assignment(id, p_Token, cb) {
    Request.del(BASE + "/assignment/" + id, p_Token, Request.deleted, cb)
}

// The tax rows, in the backend's order (the forms preselect by position).
function get_taxes(p_Token, cb) {
    Request.get(BASE + "/taxes", p_Token, Request.parse, cb)
}

// The billing preview of the order `id`.
function checkout_assignment_single(id, p_Token, cb) {
    Request.get(BASE + "/assignment/checkout/single/" + id, p_Token, Request.parse, cb)
}

// The billing preview of all open orders of the customer `id`.
function checkout_assignment_multiple(id, p_Token, cb) {
    Request.get(BASE + "/assignment/checkout/multiple/" + id, p_Token, Request.parse, cb)
}

// Bills the preview `id`: 0 when answered 200, else -1.
function confirm_checkout_assignment(id, p_Token, cb) {
    Request.post(BASE + "/assignment/checkout/confirm/" + id, undefined, p_Token, Request.confirmed, cb)
}

// Orders matching `searchkey`; -1 without hits.
function get_search_assignment(searchkey, p_Token, cb) {
    Request.post(BASE + "/assignment/search", { "searchkey": searchkey }, p_Token, Request.hitsOrNone, cb)
}
