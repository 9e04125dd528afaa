import QtQuick 2.15

import "../../static/colors.js" as Colors
import "./parts"

// One article group of the group overview: its name and type, then colour,
// size and the quantity still to be booked; a delete button shows at the
// right edge while the pointer is over the card.
CardFrame {
    id: _card

    // [articlename, typ, farbe, size, quantity, storage_location] (the storage place is not shown)
    property var fields: []

    // the delete button was clicked
    signal deleteClicked()

    // as high as the card's values need, at least the usual height
    height: Math.max(130 * c_Scale, _row.implicitHeight + 2 * padding)
    actions: [{ "name": "deleteButton", "label": qsTr("Artikelgruppe löschen"), "glyph": "\uf1f8", "color": Colors.c_dark_red }]

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
        title: _card.fields[0]
        subtitle: _card.fields[1]
        farbe: _card.fields[2]
        size: _card.fields[3]
        quantity: _card.fields[4]
    }
}
