import QtQuick 2.15
import QtQuick.Layouts 1.15

// The details of an order or invoice card, three rows of glyph and value:
// date, text, shipment type, purchase price; document number, weight,
// direction; reference, shipping partner, percentage type, sales price. The
// two prices have glyphs twice as large. A value wider than its column wraps.
GridLayout {
    id: _details

    // the record: an element with the order fields as properties
    property var order: null
    // the percentage type's text ("tax" of the record's tax row)
    property string taxText: ""
    // the shipment-type catalogue (a list model with "key"), looked up by the record's position
    property var shipmentTypes: null
    // the direction catalogue
    property var directions: null
    // the shipping-partner catalogue
    property var shippingPartners: null

    // The "key" of the element at `position` of `catalogue`, or "" when there is none.
    function keyAt(catalogue, position) {
        if (!catalogue || typeof position !== "number" || position < 0 || position >= catalogue.count)
            return ""
        return catalogue.get(position).key
    }

    function _field(name) {
        return order ? order[name] : ""
    }

    columns: 5
    rowSpacing: 15 * c_Scale
    columnSpacing: 20 * c_Scale

    GlyphValue {
        objectName: "datum"
        Layout.row: 0; Layout.column: 0
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf073"
        value: _details._field("datum")
    }
    GlyphValue {
        objectName: "textbeschreibung"
        Layout.row: 0; Layout.column: 1
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf036"
        value: _details._field("textbeschreibung")
    }
    GlyphValue {
        objectName: "sendungsart"
        Layout.row: 0; Layout.column: 2
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf21a"
        value: _details.keyAt(_details.shipmentTypes, _details._field("sendungsart"))
    }
    GlyphValue {
        objectName: "einkaufspreis"
        Layout.row: 0; Layout.column: 3; Layout.columnSpan: 2
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf07a"
        glyphScale: 2
        value: _details._field("einkaufspreis")
    }
    GlyphValue {
        objectName: "belegnummer"
        Layout.row: 1; Layout.column: 0
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf543"
        value: _details._field("belegnummer")
    }
    GlyphValue {
        objectName: "gewicht"
        Layout.row: 1; Layout.column: 1
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf496"
        value: _details._field("gewicht")
    }
    GlyphValue {
        objectName: "richtung"
        Layout.row: 1; Layout.column: 2
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf362"
        value: _details.keyAt(_details.directions, _details._field("richtung"))
    }
    GlyphValue {
        objectName: "referenz"
        Layout.row: 2; Layout.column: 0
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf069"
        value: _details._field("referenz")
    }
    GlyphValue {
        objectName: "versandpartner"
        Layout.row: 2; Layout.column: 1
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf472"
        value: _details.keyAt(_details.shippingPartners, _details._field("versandpartner"))
    }
    GlyphValue {
        objectName: "tax"
        Layout.row: 2; Layout.column: 2
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf295"
        value: _details.taxText
    }
    GlyphValue {
        objectName: "verkaufspreis"
        Layout.row: 2; Layout.column: 3; Layout.columnSpan: 2
        Layout.fillWidth: true; Layout.preferredWidth: 1
        wrap: true
        glyph: "\uf0d6"
        glyphScale: 2
        value: _details._field("verkaufspreis")
    }
}
