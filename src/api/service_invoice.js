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

// Creates an invoice for the customer `p_customer_id`; the new record, or -1 when it was not created.
function add_invoice(p_datum, p_belegnummer, p_referenz, p_text, p_gewicht, p_sendungsart, p_versandpartner,
                     p_richtung, p_prozentsatz, p_verkaufspreis, p_einkaufspreis, p_zustellung_im_aussengebiet,
                     p_abholung_im_aussengebiet, p_versand_oversized, p_versandHeavyWeight,
                     p_versand_nicht_stapelbare_palette, p_zustellung_samstags, p_abholung_samstags,
                     p_gebuehr_fuer_zusaetzliche_handhabung, p_praemie_fuer_transportversicherung,
                     p_betrag_fuer_praemie_fuer_transportversicherung, p_gebuehr_fuer_erstellung_einer_ae,
                     p_gebuehr_fuer_kein_envelope, p_zeitfensterzustellung, p_betrag_fuer_zeitfenstereinstellungen,
                     p_customer_id, p_Token, cb) {
    Request.post(BASE + "/invoice", ServiceAssignment.order_body_from(arguments, 0, true),
                 p_Token, Request.created, cb)
}

// Changes an invoice (its customer stays); the reply for 200, else -1.
function update_invoice(p_id, p_datum, p_belegnummer, p_referenz, p_text, p_gewicht, p_sendungsart,
                        p_versandpartner, p_richtung, p_prozentsatz, p_verkaufspreis, p_einkaufspreis,
                        p_zustellung_im_aussengebiet, p_abholung_im_aussengebiet, p_versand_oversized,
                        p_versandHeavyWeight, p_versand_nicht_stapelbare_palette, p_zustellung_samstags,
                        p_abholung_samstags, p_gebuehr_fuer_zusaetzliche_handhabung,
                        p_praemie_fuer_transportversicherung, p_betrag_fuer_praemie_fuer_transportversicherung,
                        p_gebuehr_fuer_erstellung_einer_ae, p_gebuehr_fuer_kein_envelope,
                        p_zeitfensterzustellung, p_betrag_fuer_zeitfenstereinstellungen, p_Token, cb) {
    Request.put(BASE + "/invoice/" + p_id, ServiceAssignment.order_body_from(arguments, 1, false),
                p_Token, Request.updated, cb)
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
