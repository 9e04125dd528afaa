import QtQuick 2.15

// The regions of an order or invoice card from the top: the customer with
// the record's id, the details, a rule and the options.
Column {
    id: _body

    // the record: an element with the order fields as properties
    property var order: null
    // the name of the record's customer ("" none)
    property string customerName: ""
    // the number of the record's customer ("" none)
    property var customerId: ""
    // the percentage type's text
    property string taxText: ""
    // the shipment-type catalogue (a list model with "key")
    property var shipmentTypes: null
    // the direction catalogue
    property var directions: null
    // the shipping-partner catalogue
    property var shippingPartners: null

    spacing: 15 * c_Scale

    CardHeader {
        objectName: "header"
        width: parent.width
        wrap: true
        name: _body.customerName
        subtitle: _body.customerId
        recordId: _body.order ? _body.order.id : ""
    }

    OrderDetails {
        objectName: "details"
        width: parent.width
        order: _body.order
        taxText: _body.taxText
        shipmentTypes: _body.shipmentTypes
        directions: _body.directions
        shippingPartners: _body.shippingPartners
    }

    CardRule {}

    OrderOptions {
        objectName: "options"
        width: parent.width
        order: _body.order
    }
}
