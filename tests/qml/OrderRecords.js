.pragma library

// An order as the forms hand it over (a record under the order body's keys),
// with the body text it must produce; shared by the order and invoice tests.

// An order without premium and time window; `taxId` is a tax row id.
function order(text, taxId) {
    return {
        "datum": "03.02.2025", "belegnummer": "B-1", "referenz": "Ref", "textbeschreibung": text,
        "gewicht": "2,5", "sendungsart": 1, "versandpartner": 2, "richtung": 0, "prozentsatz_id": taxId,
        "verkaufspreis": "12.50", "einkaufspreis": "8.00", "zustellung_im_aussengebiet": false,
        "abholung_im_aussengebiet": true, "versand_oversized": false, "versand_heavy_weight": false,
        "versand_nicht_stapelbare_palette": false, "zustellung_samstags": false, "abholung_samstags": false,
        "gebuehr_fuer_zusaetzliche_handhabung": false, "praemie_fuer_transportversicherung": false,
        "betrag_fuer_praemie_fuer_transportversicherung": "", "gebuehr_fuer_erstellung_einer_ae": false,
        "gebuehr_fuer_kein_envelope": false, "zeitfensterzustellung": false,
        "betrag_fuer_zeitfenstereinstellungen": ""
    }
}

// `record` with the values `changes` names in place of its own.
function changed(record, changes) {
    var copy = JSON.parse(JSON.stringify(record))
    for (var key in changes)
        copy[key] = changes[key]
    return copy
}

// The body text the order above produces (keys in the backend's order), without its closing brace.
function bodyText(text, taxId) {
    return '{"datum":"03.02.2025","belegnummer":"B-1","referenz":"Ref","textbeschreibung":"' + text + '",'
            + '"gewicht":"2,5","sendungsart":1,"versandpartner":2,"richtung":0,"prozentsatz_id":' + taxId + ','
            + '"verkaufspreis":"12.50","einkaufspreis":"8.00","zustellung_im_aussengebiet":false,'
            + '"abholung_im_aussengebiet":true,"versand_oversized":false,"versand_heavy_weight":false,'
            + '"versand_nicht_stapelbare_palette":false,"zustellung_samstags":false,"abholung_samstags":false,'
            + '"gebuehr_fuer_zusaetzliche_handhabung":false,"praemie_fuer_transportversicherung":false,'
            + '"betrag_fuer_praemie_fuer_transportversicherung":"","gebuehr_fuer_erstellung_einer_ae":false,'
            + '"gebuehr_fuer_kein_envelope":false,"zeitfensterzustellung":false,'
            + '"betrag_fuer_zeitfenstereinstellungen":""'
}
