.pragma library
.import "statics.js" as BASES
.import "request.js" as Request

// Customers and their commercial records. A business customer is two records:
// the customer, and the commercial record it points to by "commercial_id".

var BASE = BASES.URL

// One page of customers (pages count from 1); -1 past the last page.
function get_customers(p_page, p_Token, cb) {
    Request.get(BASE + "/customer?page=" + p_page, p_Token, Request.pageOrEnd, cb)
}

// One customer; -1 when the backend does not know it (406).
function get_customer(id, p_Token, cb) {
    Request.get(BASE + "/customer/" + id, p_Token, Request.recordOrNotFound, cb)
}

// The keys of the customer body, in the backend's order. A customer travels
// as a record under these keys (the customer form's controller collects one);
// the functions that take its values by position take them in this order.
var CUSTOMER_KEYS = ["surname", "lastname", "address_street_no", "address_zipcode", "address_town",
                     "address_country", "address_province", "phone", "fax", "email", "info", "commercialability"]

// The keys of the commercial body, in the backend's order (the same for a create and a change).
var COMMERCIAL_KEYS = ["company", "vatid", "fuel_surcharge", "contact_person"]

// Creates the customer `p_customer` (a record under CUSTOMER_KEYS); a private
// customer has no `p_commercial_id` (the key "commercial_id" is then left out,
// else it comes last). Hands the new record, or -1 when it was not created.
function add_customer_record(p_customer, p_commercial_id, p_Token, cb) {
    var body = Request.bodyOf(CUSTOMER_KEYS, p_customer)
    if (p_commercial_id !== undefined)
        body.commercial_id = p_commercial_id
    Request.post(BASE + "/customer", body, p_Token, Request.created, cb)
}

// add_customer(the customer's values in the order of CUSTOMER_KEYS, p_commercial_id, p_Token, cb):
// add_customer_record with the values by position.
function add_customer() {
    Request.callWithRecord(add_customer_record, CUSTOMER_KEYS, arguments, 0)
}

// Changes the customer `p_id` to the record `p_customer` (the link to its
// commercial record stays); the reply for 200, else -1.
function update_customer_record(p_id, p_customer, p_Token, cb) {
    Request.put(BASE + "/customer/" + p_id, Request.bodyOf(CUSTOMER_KEYS, p_customer), p_Token, Request.updated, cb)
}

// update_customer(p_id, the customer's values in the order of CUSTOMER_KEYS, p_Token, cb):
// update_customer_record with the values by position.
function update_customer() {
    Request.callWithRecord(update_customer_record, CUSTOMER_KEYS, arguments, 1)
}

// Deletes a customer: 0 when done, -1 otherwise.
function delete_item_customer(id, p_Token, cb) {
    Request.del(BASE + "/customer/" + id, p_Token, Request.deleted, cb)
}

// Creates the commercial record `p_commercial` (a record under
// COMMERCIAL_KEYS); hands it with its "id", or -1 when it was not created.
function add_customer_commercial_record(p_commercial, p_Token, cb) {
    Request.post(BASE + "/customer_commercial", Request.bodyOf(COMMERCIAL_KEYS, p_commercial),
                 p_Token, Request.created, cb)
}

// add_customer_commercial(p_company, p_vatid, p_fuel_surcharge, p_contact_person, p_Token, cb):
// add_customer_commercial_record with the values by position.
function add_customer_commercial() {
    Request.callWithRecord(add_customer_commercial_record, COMMERCIAL_KEYS, arguments, 0)
}

// One commercial record.
function get_single_customer_commercial(id, p_Token, cb) {
    Request.get(BASE + "/customer_commercial/" + id, p_Token, Request.parse, cb)
}

// Changes the commercial record `p_id` to the record `p_commercial`; the reply for 200, else -1.
function update_customercommercial_record(p_id, p_commercial, p_Token, cb) {
    Request.put(BASE + "/customer_commercial/" + p_id, Request.bodyOf(COMMERCIAL_KEYS, p_commercial),
                p_Token, Request.updated, cb)
}

// update_customercommercial(p_id, p_company, p_vatid, p_fuel_surcharge, p_contact_person, p_Token, cb):
// update_customercommercial_record with the values by position.
function update_customercommercial() {
    Request.callWithRecord(update_customercommercial_record, COMMERCIAL_KEYS, arguments, 1)
}

// Customers whose first name matches.
function get_search_customer_surname(searchkey, p_Token, cb) {
    Request.post(BASE + "/customer_search_surname", { "vorname": searchkey }, p_Token, Request.parse, cb)
}

// Customers whose family name matches.
function get_search_customer_lastname(searchkey, p_Token, cb) {
    Request.post(BASE + "/customer_search_lastname", { "nachname": searchkey }, p_Token, Request.parse, cb)
}

// Customers whose full name matches; -1 without hits.
function get_search_customer_fullname(searchkey, p_Token, cb) {
    Request.post(BASE + "/customer/search", { "fullname": searchkey }, p_Token, Request.hitsOrNone, cb)
}
