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

// Creates a customer; a private customer has no `p_commercial_id` (the key is then left out).
// Hands the new record, or -1 when it was not created.
function add_customer(p_surname, p_lastname, p_address_street_no, p_address_zipcode, p_address_town,
                      p_address_country, p_address_province, p_phone, p_fax, p_email, p_info,
                      p_commercialability, p_commercial_id, p_Token, cb) {
    Request.post(BASE + "/customer", {
        "surname": p_surname,
        "lastname": p_lastname,
        "address_street_no": p_address_street_no,
        "address_zipcode": p_address_zipcode,
        "address_town": p_address_town,
        "address_country": p_address_country,
        "address_province": p_address_province,
        "phone": p_phone,
        "fax": p_fax,
        "email": p_email,
        "info": p_info,
        "commercialability": p_commercialability,
        "commercial_id": p_commercial_id
    }, p_Token, Request.created, cb)
}

// Changes a customer (the link to its commercial record stays); the reply for 200, else -1.
function update_customer(p_id, p_surname, p_lastname, p_address_street_no, p_address_zipcode, p_address_town,
                         p_address_country, p_address_province, p_phone, p_fax, p_email, p_info,
                         p_commercialability, p_Token, cb) {
    Request.put(BASE + "/customer/" + p_id, {
        "surname": p_surname,
        "lastname": p_lastname,
        "address_street_no": p_address_street_no,
        "address_zipcode": p_address_zipcode,
        "address_town": p_address_town,
        "address_country": p_address_country,
        "address_province": p_address_province,
        "phone": p_phone,
        "fax": p_fax,
        "email": p_email,
        "info": p_info,
        "commercialability": p_commercialability
    }, p_Token, Request.updated, cb)
}

// Deletes a customer: 0 when done, -1 otherwise.
function delete_item_customer(id, p_Token, cb) {
    Request.del(BASE + "/customer/" + id, p_Token, Request.deleted, cb)
}

// Creates a commercial record; hands it with its "id", or -1 when it was not created.
function add_customer_commercial(p_company, p_vatid, p_fuel_surcharge, p_contact_person, p_Token, cb) {
    Request.post(BASE + "/customer_commercial", {
        "company": p_company,
        "vatid": p_vatid,
        "fuel_surcharge": p_fuel_surcharge,
        "contact_person": p_contact_person
    }, p_Token, Request.created, cb)
}

// One commercial record.
function get_single_customer_commercial(id, p_Token, cb) {
    Request.get(BASE + "/customer_commercial/" + id, p_Token, Request.parse, cb)
}

// Changes a commercial record; the reply for 200, else -1.
function update_customercommercial(p_id, p_company, p_vatid, p_fuel_surcharge, p_contact_person, p_Token, cb) {
    Request.put(BASE + "/customer_commercial/" + p_id, {
        "company": p_company,
        "vatid": p_vatid,
        "fuel_surcharge": p_fuel_surcharge,
        "contact_person": p_contact_person
    }, p_Token, Request.updated, cb)
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
