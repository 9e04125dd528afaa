.pragma library

// What a list keeps of an order or an invoice for its card: the fields the
// card shows and its actions need, as plain values of one type each, so that
// the list's model keeps fixed roles. A card shows a row as it showed the
// whole record: text fields as the text they display (none: ""), catalogue
// positions as numbers (none: -1), option flags as true or false.

// the text fields shown as they are
var textFields = ["datum", "textbeschreibung", "belegnummer", "gewicht", "referenz", "einkaufspreis",
                  "verkaufspreis", "betrag_fuer_praemie_fuer_transportversicherung",
                  "betrag_fuer_zeitfenstereinstellungen"]
// the positions in the shipment-type, direction and shipping-partner catalogues
var positionFields = ["sendungsart", "richtung", "versandpartner"]
// the option flags shown checked or not
var flagFields = ["zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
                  "versand_nicht_stapelbare_palette", "zustellung_samstags", "abholung_samstags",
                  "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
                  "gebuehr_fuer_erstellung_einer_ae", "gebuehr_fuer_kein_envelope", "zeitfensterzustellung"]

function _text(value) {
    return value === undefined || value === null ? "" : String(value)
}

// The row of `record`, whose customer is under `customerKey` and whose tax
// row under `taxKey`: its fields above, "id", "customer_id" (-1: none),
// "customer_name" and "tax" (the tax row's text).
function row(record, customerKey, taxKey) {
    var customer = record[customerKey]
    var tax = record[taxKey]
    var result = {
        id: typeof record.id === "number" ? record.id : -1,
        customer_id: customer && typeof customer.id === "number" ? customer.id : -1,
        customer_name: customer ? customer.surname + " " + customer.lastname : "",
        tax: tax ? _text(tax.tax) : ""
    }
    var i
    for (i = 0; i < textFields.length; ++i)
        result[textFields[i]] = _text(record[textFields[i]])
    for (i = 0; i < positionFields.length; ++i) {
        var position = record[positionFields[i]]
        result[positionFields[i]] = typeof position === "number" ? position : -1
    }
    for (i = 0; i < flagFields.length; ++i)
        result[flagFields[i]] = record[flagFields[i]] === true
    return result
}

// The row of a captured order.
function orderRow(record) {
    return row(record, "customer_assignment", "taxes")
}

// The row of an invoice.
function invoiceRow(record) {
    return row(record, "customer_invoice", "taxes_invoice")
}
