import QtQuick 2.15

import "../../static/colors.js" as Colors
import "./parts"

// One booking of the stock overview: the article group's name and type with
// the EAN below, then colour, size and the booked quantity; a delete button
// shows at the right edge while the pointer is over the card.
CardFrame {
    id: _card

    // [eanno, quantity, articlegroup (the booked group's record)]
    property var fields: []

    // the delete button was clicked
    signal deleteClicked()

    // the booked group, or an empty record
    readonly property var _group: fields.length > 2 && fields[2] ? fields[2] : ({})

    // as high as the card's values need, at least the usual height
    height: Math.max(130 * c_Scale, _row.implicitHeight + 2 * padding)
    actions: [{ "name": "deleteButton", "label": qsTr("Buchung entfernen"), "glyph": "\uf1f8", "color": Colors.c_dark_red }]

    onItemHovered: entersItem()
    onActionTriggered: {
        if (name === "deleteButton")
            deleteClicked()
    }

    WarehouseCardRow {
        id: _row

        // leaves room for the delete button, so that showing it moves nothing
        width: _card.width - 2 * _card.padding - 80 * c_Scale
        anchors.verticalCenter: parent.verticalCenter
        title: _card._group.articlename
        subtitle: _card._group.typ
        ean: _card.fields[0]
        showEan: true
        farbe: _card._group.farbe
        size: _card._group.size
        quantity: _card.fields[1]
    }
}
