import QtQuick 2.15

import "parts"

// The card of one customer in the customer overview: name and customer
// number, then side by side the address, the contact column, the business
// column of a business customer and the note; the wrench at the right edge
// opens the customer for changing. It is as high as its values need (a long
// value wraps). It reads the row's roles (the customer record).
CardFrame {
    id: _card

    // the wrench was clicked: change this customer
    signal modifyClicked()

    height: _body.implicitHeight + 2 * padding
    actions: [{ "name": "modify", "label": qsTr("Kunde bearbeiten"), "glyph": "\uf0ad", "color": "#F40F02" }]
    actionsDimOnHover: true
    onActionTriggered: {
        if (name === "modify")
            modifyClicked()
    }

    Column {
        id: _body

        width: parent.width
        spacing: 10 * c_Scale

        CardHeader {
            objectName: "header"
            width: parent.width
            wrap: true
            name: model.surname + " " + model.lastname
            recordId: model.id
        }

        Row {
            id: _columns

            // the width of one of the columns shown
            readonly property real columnWidth: (width - (_business.visible ? 3 : 2) * spacing)
                                                / (_business.visible ? 4 : 3)

            width: parent.width
            spacing: 20 * c_Scale

            AddressBlock {
                objectName: "address"
                width: _columns.columnWidth
                street: model.address_street_no
                zipcode: model.address_zipcode
                town: model.address_town
                province: model.address_province
                country: model.address_country
            }

            Column {
                objectName: "contact"
                width: _columns.columnWidth
                spacing: 4 * c_Scale

                GlyphValue { objectName: "phone"; width: parent.width; wrap: true; glyph: "\uf095"; value: model.phone }
                GlyphValue { objectName: "fax"; width: parent.width; wrap: true; glyph: "\uf1ac"; value: model.fax }
                GlyphValue { objectName: "email"; width: parent.width; wrap: true; glyph: "\uf1fa"; value: model.email }
            }

            Column {
                id: _business

                // the commercial record, or an empty one for a private customer
                readonly property var record: model.commercialability === true && model.commercial
                                              ? model.commercial : ({})

                objectName: "business"
                width: _columns.columnWidth
                spacing: 4 * c_Scale
                visible: model.commercialability === true

                GlyphValue {
                    objectName: "company"
                    width: parent.width
                    wrap: true
                    glyph: "\uf1ad"
                    value: _business.record.company
                }
                GlyphValue {
                    objectName: "vatid"
                    width: parent.width
                    wrap: true
                    glyph: "\uf53d"
                    value: _business.record.vatid
                }
                GlyphValue {
                    objectName: "contact_person"
                    width: parent.width
                    wrap: true
                    glyph: "\uf47f"
                    value: _business.record.contact_person
                }
            }

            GlyphNote {
                objectName: "info"
                width: _columns.columnWidth
                value: model.info
            }
        }
    }
}
