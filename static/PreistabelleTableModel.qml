import QtQuick 2.15
import Qt.labs.qmlmodels 1.0

// The amounts of a billing preview: label rows and value rows in turn, three
// columns each. Hand `tablemodel` to a PreistabelleTblWidget; clear it with
// `tablemodel.clear()`.
Item {
    id: _prices

    // the table itself; empty at first
    readonly property alias tablemodel: _table

    // Appends a row.
    function appendRow(nettobetrag, umsatzsteuer, summe) {
        _table.appendRow({ "nettobetrag": nettobetrag, "umsatzsteuer": umsatzsteuer, "summe": summe })
    }

    // The number of rows.
    function getRowCount() {
        return _table.rowCount
    }

    TableModel {
        id: _table

        TableModelColumn { display: "nettobetrag" }
        TableModelColumn { display: "umsatzsteuer" }
        TableModelColumn { display: "summe" }
    }
}
