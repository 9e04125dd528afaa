.pragma library

// The 25 order fields in the order the forms hand them over, with the
// body text they must produce; shared by the order and invoice tests.

// The fields of an order without premium and time window; `taxId` is a tax row id.
function fields(text, taxId) {
    return ["03.02.2025", "B-1", "Ref", text, "2,5", 1, 2, 0, taxId, "12.50", "8.00",
            false, true, false, false, false, false, false, false, false, "", false, false, false, ""]
}

// The body text the fields above produce (keys in the backend's order).
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
