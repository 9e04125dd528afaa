.pragma library
.import "statics.js" as BASES
.import "request.js" as Request

// The warehouse: article groups and their categories, booked stock
// ("articleinventory") and the delivery orders that stock is booked against.

var BASE = BASES.URL

// All article groups.
function get_all_articlegroup(p_Token, cb) {
    Request.get(BASE + "/articlegroups", p_Token, Request.parse, cb)
}

// One article group.
function get_single_articlegroup(id, p_Token, cb) {
    Request.get(BASE + "/articlegroups/" + id, p_Token, Request.parse, cb)
}

// Article groups whose name matches; -1 without hits.
function get_search_articlegroup(searchkey, p_Token, cb) {
    Request.post(BASE + "/articlegroups_search", { "articlename": searchkey }, p_Token,
                 Request.hitsOrNone, cb)
}

// Categories matching `searchkey`; -1 without hits.
function get_search_articlegroups_category(searchkey, p_Token, cb) {
    Request.post(BASE + "/articlegroups/category/search", { "keyword": searchkey }, p_Token,
                 Request.hitsOrNone, cb)
}

// Creates a category; the new record with its "id", or -1 when it was not created.
function add_articlegroups_category(p_keyword, p_Token, cb) {
    Request.post(BASE + "/articlegroups/category", { "keyword": p_keyword }, p_Token, Request.created, cb)
}

// Announces an article group of a customer; the new record, or -1 when it was not created.
function add_articlegroup(p_articlename, p_articleno, p_farbe, p_size, p_typ, p_quantity, p_lager,
                          p_category_id, p_customer_id, p_Token, cb) {
    Request.post(BASE + "/articlegroups", {
        "articlename": p_articlename,
        "articleno": p_articleno,
        "farbe": p_farbe,
        "size": p_size,
        "typ": p_typ,
        "quantity": p_quantity,
        "storage_location": p_lager,
        "category_id": p_category_id,
        "customer_id": p_customer_id
    }, p_Token, Request.created, cb)
}

// Sets the quantity still to be booked: 0 when answered 200, else -1.
function update_articlegroup_quantity(id, decrease_quantity, p_Token, cb) {
    Request.put(BASE + "/articlegroups/" + id, { "quantity": decrease_quantity }, p_Token,
                Request.confirmed, cb)
}

// Deletes an article group: 0 when done, -1 otherwise.
function delete_item_articlegroup(id, p_Token, cb) {
    Request.del(BASE + "/articlegroups/" + id, p_Token, Request.deleted, cb)
}

// All booked stock.
function get_all_articleinventory(p_Token, cb) {
    Request.get(BASE + "/articleinventory", p_Token, Request.parse, cb)
}

// Books pieces of an article group under the delivery order number; the new record, or -1.
function add_articleinventory(p_ean, p_quantity, p_articlegroupid, p_deliveryorder_no, p_Token, cb) {
    Request.post(BASE + "/articleinventory", {
        "eanno": p_ean,
        "quantity": p_quantity,
        "articlegroup_id": p_articlegroupid,
        "deliveryorder_no": p_deliveryorder_no
    }, p_Token, Request.created, cb)
}

// Removes one booking: 0 only when answered 200, else -1.
function delete_item_articleinventory(id, p_Token, cb) {
    Request.del(BASE + "/articleinventory/" + id, p_Token, Request.confirmed, cb)
}

// Removes every booking under the delivery order number `id`: 0 when done, -1 otherwise.
function delete_series_of_articleinventory(id, p_Token, cb) {
    Request.del(BASE + "/articleinventory/series/" + id, p_Token, Request.deleted, cb)
}

// Opens a delivery order; the new record, or -1 when it was not created.
function add_deliveryorder(p_delivery_date, p_deliveryorders_no, p_created, p_customer_id, p_Token, cb) {
    Request.post(BASE + "/deliveryorder", {
        "delivery_date": p_delivery_date,
        "deliveryorders_no": p_deliveryorders_no,
        "created": p_created,
        "customer_id": p_customer_id
    }, p_Token, Request.created, cb)
}

// The open delivery order as the first element, or an empty array when none is open.
function check_last_item(p_Token, cb) {
    Request.get(BASE + "/deliveryorder/checklast", p_Token, Request.parse, cb)
}

// The delivery order with the latest number as the first element, or an empty array.
function get_last_deliveryno(p_Token, cb) {
    Request.get(BASE + "/deliveryorder/getlastno", p_Token, Request.parse, cb)
}

// Deletes a delivery order (sent with all three headers): 0 when done, -1 otherwise.
function delete_last_created_deliveryorder(id, p_Token, cb) {
    Request.send({
        verb: "DELETE",
        url: BASE + "/deliveryorder/" + id,
        headers: Request.standardHeaders(p_Token),
        rule: Request.deleted
    }, cb)
}

// Generates the delivery note of the open delivery order `id`: its raw bytes,
// or -1 when the backend did not deliver it.
function generate_transaction(id, p_Token, cb) {
    Request.send({
        verb: "GET",
        url: BASE + "/deliveryorder/generate/" + id,
        headers: Request.standardHeaders(p_Token),
        rule: Request.bytes,
        responseType: "arraybuffer"
    }, cb)
}
