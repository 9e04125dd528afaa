.pragma library
.import "statics.js" as BASES
.import "request.js" as Request

// Orders ("assignments"), their billing through a checkout preview, and the tax list.

var BASE = BASES.URL

// The order body, keys in the backend's order; `p_customer_id` undefined leaves
// "customer_id" out (updates never move an order to another customer).
// Invoices are sent with the same body.
function order_body(p_datum, p_belegnummer, p_referenz, p_text, p_gewicht, p_sendungsart, p_versandpartner,
                    p_richtung, p_prozentsatz, p_verkaufspreis, p_einkaufspreis, p_zustellung_im_aussengebiet,
                    p_abholung_im_aussengebiet, p_versand_oversized, p_versandHeavyWeight,
                    p_versand_nicht_stapelbare_palette, p_zustellung_samstags, p_abholung_samstags,
                    p_gebuehr_fuer_zusaetzliche_handhabung, p_praemie_fuer_transportversicherung,
                    p_betrag_fuer_praemie_fuer_transportversicherung, p_gebuehr_fuer_erstellung_einer_ae,
                    p_gebuehr_fuer_kein_envelope, p_zeitfensterzustellung, p_betrag_fuer_zeitfenstereinstellungen,
                    p_customer_id) {
    return {
        "datum": p_datum,
        "belegnummer": p_belegnummer,
        "referenz": p_referenz,
        "textbeschreibung": p_text,
        "gewicht": p_gewicht,
        "sendungsart": p_sendungsart,
        "versandpartner": p_versandpartner,
        "richtung": p_richtung,
        "prozentsatz_id": p_prozentsatz,
        "verkaufspreis": p_verkaufspreis,
        "einkaufspreis": p_einkaufspreis,
        "zustellung_im_aussengebiet": p_zustellung_im_aussengebiet,
        "abholung_im_aussengebiet": p_abholung_im_aussengebiet,
        "versand_oversized": p_versand_oversized,
        "versand_heavy_weight": p_versandHeavyWeight,
        "versand_nicht_stapelbare_palette": p_versand_nicht_stapelbare_palette,
        "zustellung_samstags": p_zustellung_samstags,
        "abholung_samstags": p_abholung_samstags,
        "gebuehr_fuer_zusaetzliche_handhabung": p_gebuehr_fuer_zusaetzliche_handhabung,
        "praemie_fuer_transportversicherung": p_praemie_fuer_transportversicherung,
        "betrag_fuer_praemie_fuer_transportversicherung": p_betrag_fuer_praemie_fuer_transportversicherung,
        "gebuehr_fuer_erstellung_einer_ae": p_gebuehr_fuer_erstellung_einer_ae,
        "gebuehr_fuer_kein_envelope": p_gebuehr_fuer_kein_envelope,
        "zeitfensterzustellung": p_zeitfensterzustellung,
        "betrag_fuer_zeitfenstereinstellungen": p_betrag_fuer_zeitfenstereinstellungen,
        "customer_id": p_customer_id
    }
}

// The order body from the arguments of a request function whose order fields
// start at position `first`; a create also carries the customer id after them.
function order_body_from(args, first, withCustomer) {
    return order_body.apply(null, Array.prototype.slice.call(args, first, first + (withCustomer ? 26 : 25)))
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

// Captures an order for the customer `p_customer_id`; the new record, or -1 when it was not created.
function add_assignment(p_datum, p_belegnummer, p_referenz, p_text, p_gewicht, p_sendungsart, p_versandpartner,
                        p_richtung, p_prozentsatz, p_verkaufspreis, p_einkaufspreis, p_zustellung_im_aussengebiet,
                        p_abholung_im_aussengebiet, p_versand_oversized, p_versandHeavyWeight,
                        p_versand_nicht_stapelbare_palette, p_zustellung_samstags, p_abholung_samstags,
                        p_gebuehr_fuer_zusaetzliche_handhabung, p_praemie_fuer_transportversicherung,
                        p_betrag_fuer_praemie_fuer_transportversicherung, p_gebuehr_fuer_erstellung_einer_ae,
                        p_gebuehr_fuer_kein_envelope, p_zeitfensterzustellung, p_betrag_fuer_zeitfenstereinstellungen,
                        p_customer_id, p_Token, cb) {
    Request.post(BASE + "/assignment", order_body_from(arguments, 0, true),
                 p_Token, Request.created, cb)
}

// Changes an order (its customer stays); the reply for 200, else -1.
function update_assignment(p_id, p_datum, p_belegnummer, p_referenz, p_text, p_gewicht, p_sendungsart,
                           p_versandpartner, p_richtung, p_prozentsatz, p_verkaufspreis, p_einkaufspreis,
                           p_zustellung_im_aussengebiet, p_abholung_im_aussengebiet, p_versand_oversized,
                           p_versandHeavyWeight, p_versand_nicht_stapelbare_palette, p_zustellung_samstags,
                           p_abholung_samstags, p_gebuehr_fuer_zusaetzliche_handhabung,
                           p_praemie_fuer_transportversicherung, p_betrag_fuer_praemie_fuer_transportversicherung,
                           p_gebuehr_fuer_erstellung_einer_ae, p_gebuehr_fuer_kein_envelope,
                           p_zeitfensterzustellung, p_betrag_fuer_zeitfenstereinstellungen, p_Token, cb) {
    Request.put(BASE + "/assignment/" + p_id, order_body_from(arguments, 1, false),
                p_Token, Request.updated, cb)
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
