import QtQuick 2.15

import "./parts"

// The card of a billed order: the customer and the invoice's id, the order's
// details and options, and the button that opens the invoice's PDF.
CardFrame {
    id: _card

    // the invoice's row (orderRows.js): a list element or an object with its fields
    property var order: null
    // the shipment-type catalogue, which names the invoice's "sendungsart"
    property var shipmentTypes: null
    // the direction catalogue, which names the invoice's "richtung"
    property var directions: null
    // the shipping-partner catalogue, which names the invoice's "versandpartner"
    property var shippingPartners: null

    // the PDF button
    signal getPdfClicked()

    // as high as its regions, so that a value that wraps is shown whole
    height: _body.implicitHeight + 2 * padding
    actionsDimOnHover: true
    actions: [
        { name: "pdf", label: qsTr("Rechnung als PDF öffnen"), glyph: "\uf1c1", color: "#F40F02" }
    ]

    onActionTriggered: {
        if (name === "pdf")
            getPdfClicked()
    }

    OrderCardBody {
        id: _body

        objectName: "body"
        width: parent.width
        order: _card.order
        customerName: _card.order ? _card.order.customer_name : ""
        customerId: _card.order && _card.order.customer_id >= 0 ? _card.order.customer_id : ""
        taxText: _card.order ? _card.order.tax : ""
        shipmentTypes: _card.shipmentTypes
        directions: _card.directions
        shippingPartners: _card.shippingPartners
    }
}
