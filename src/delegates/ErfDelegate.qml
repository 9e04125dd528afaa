import QtQuick 2.15
import QtQuick.Controls.Material 2.15

import "../../static/colors.js" as Colors
import "./parts"

// The card of a captured order: the customer and the order's id, the order's
// details and options, and the actions change, delete, bill this order and
// bill all orders of the customer.
CardFrame {
    id: _card

    // the order's row (orderRows.js): a list element or an object with its fields
    property var order: null
    // the shipment-type catalogue, which names the order's "sendungsart"
    property var shipmentTypes: null
    // the direction catalogue, which names the order's "richtung"
    property var directions: null
    // the shipping-partner catalogue, which names the order's "versandpartner"
    property var shippingPartners: null

    // the change button
    signal modifyClicked()
    // the delete button
    signal deleteClicked()
    // the button that bills this order
    signal checkoutClicked()
    // the button that bills all open orders of this order's customer
    signal checkoutMultiClicked()

    // as high as its regions, so that a value that wraps is shown whole
    height: _body.implicitHeight + 2 * padding
    actionGlyphOpacity: 0.5
    actions: [
        { name: "modify", label: qsTr("Auftrag ändern"), glyph: "\uf0ad", color: Material.color(Material.Blue) },
        { name: "delete", label: qsTr("Auftrag löschen"), glyph: "\uf1f8", color: Colors.c_dark_red },
        { name: "checkout", label: qsTr("Auftrag abrechnen"), glyph: "\uf1ec", color: Colors.c_material_yellow },
        { name: "checkoutMulti", label: qsTr("Alle Aufträge des Kunden abrechnen"), glyph: "\uf4fc",
          color: Colors.c_material_cyan }
    ]

    onActionTriggered: {
        switch (name) {
        case "modify": modifyClicked(); break
        case "delete": deleteClicked(); break
        case "checkout": checkoutClicked(); break
        case "checkoutMulti": checkoutMultiClicked(); break
        }
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
