import QtQuick 2.15
import Qt.labs.qmlmodels 1.0

// The positions of a billing preview: a header row, then one row per order
// billed. Hand `tablemodel` to a PositionsuebersichtTblWidget.
Item {
    id: _positions

    // the table itself; row 0 is always the header row
    readonly property alias tablemodel: _table

    // Appends a position; nothing when `text` is undefined. Values are kept as
    // given (the cells show them as text); the net price gets "EUR " in front,
    // except the header's own "Nettopreis".
    function appendRow(pos, text, richtung, gewicht, service, nettopreis) {
        if (text === undefined)
            return
        _table.appendRow({
            "pos": pos,
            "text": text,
            "richtung": richtung,
            "gewicht": gewicht,
            "service": service,
            "nettopreis": nettopreis === "Nettopreis" ? nettopreis : "EUR " + nettopreis
        })
    }

    // The number of rows, the header row included.
    function getRowCount() {
        return _table.rowCount
    }

    // Back to the header row alone.
    function clearModel() {
        _table.clear()
        appendRow("Pos.", "Beschreibung", "Richtung", "Gewicht", "Service", "Nettopreis")
    }

    TableModel {
        id: _table

        TableModelColumn { display: "pos" }
        TableModelColumn { display: "text" }
        TableModelColumn { display: "richtung" }
        TableModelColumn { display: "gewicht" }
        TableModelColumn { display: "service" }
        TableModelColumn { display: "nettopreis" }

        rows: [{ "pos": "Pos.", "text": "Beschreibung", "richtung": "Richtung", "gewicht": "Gewicht",
                 "service": "Service", "nettopreis": "Nettopreis" }]
    }
}
