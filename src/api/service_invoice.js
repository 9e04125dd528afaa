.pragma library
.import "statics.js" as BASES
.import "request.js" as Request
.import "service_assignment.js" as ServiceAssignment

// Billed orders ("invoices") and the tax list. Invoices carry the order body.

var BASE = BASES.URL

// One page of invoices (pages count from 1); -1 past the last page. Logs the status.
function get_invoices(p_page, p_Token, cb) {
    Request.get(BASE + "/invoice?page=" + p_page, p_Token,
                Request.logStatus("get_invoices", Request.pageOrEnd), cb)
}

// One invoice, with its "attachement_link".
function get_invoice(id, p_Token, cb) {
    Request.get(BASE + "/invoice/" + id, p_Token, Request.parse, cb)
}

// Creates the invoice `p_invoice` (a record under the order body's keys,
// ServiceAssignment.ORDER_KEYS) for the customer `p_customer_id`; the new
// record, or -1 when it was not created.
function add_invoice_record(p_invoice, p_customer_id, p_Token, cb) {
    Request.post(BASE + "/invoice", ServiceAssignment.order_body(p_invoice, p_customer_id),
                 p_Token, Request.created, cb)
}

// add_invoice(the invoice's values in the order of ServiceAssignment.ORDER_KEYS, p_customer_id, p_Token, cb):
// add_invoice_record with the values by position.
function add_invoice() {
    Request.callWithRecord(add_invoice_record, ServiceAssignment.ORDER_KEYS, arguments, 0)
}

// Changes the invoice `p_id` to the record `p_invoice` (its customer stays); the reply for 200, else -1.
function update_invoice_record(p_id, p_invoice, p_Token, cb) {
    Request.put(BASE + "/invoice/" + p_id, ServiceAssignment.order_body(p_invoice), p_Token, Request.updated, cb)
}

// update_invoice(p_id, the invoice's values in the order of ServiceAssignment.ORDER_KEYS, p_Token, cb):
// update_invoice_record with the values by position.
function update_invoice() {
    Request.callWithRecord(update_invoice_record, ServiceAssignment.ORDER_KEYS, arguments, 1)
}

// Deletes an invoice: 0 when done, -1 otherwise.
function delete_invoice(id, p_Token, cb) {
    Request.del(BASE + "/invoice/" + id, p_Token, Request.deleted, cb)
}

// The tax rows, in the backend's order.
function get_taxes(p_Token, cb) {
    Request.get(BASE + "/taxes", p_Token, Request.parse, cb)
}

// Invoices matching `searchkey`; -1 without hits.
function get_search_invoice(searchkey, p_Token, cb) {
    Request.post(BASE + "/invoice/search", { "searchkey": searchkey }, p_Token, Request.hitsOrNone, cb)
}
