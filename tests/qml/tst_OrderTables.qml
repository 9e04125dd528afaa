import QtQuick 2.15
import QtTest 1.15

import "../../static"
import "../../src/controls"

// The fixed order catalogues, and the two tables of a billing preview: what
// their models hold and how their widgets draw and scroll.
TestCase {
    id: _case
    name: "OrderTables"
    when: windowShown
    visible: true
    width: 1200
    height: 700

    Component { id: _sendungsart; Sendungsart {} }
    Component { id: _richtungen; Richtungen {} }
    Component { id: _versandpartner; Versandpartner {} }
    Component { id: _positions; PositionsubersichtTableModel {} }
    Component { id: _prices; PreistabelleTableModel {} }
    Component {
        id: _positionsWidget
        Item {
            property alias model: _model
            property alias table: _table
            width: 1100
            height: 300
            PositionsubersichtTableModel { id: _model }
            PositionsuebersichtTblWidget { id: _table; anchors.fill: parent; model: _model.tablemodel }
        }
    }
    Component {
        id: _pricesWidget
        Item {
            property alias model: _model
            property alias table: _table
            width: 700
            height: 500
            PreistabelleTableModel { id: _model }
            PreistabelleTblWidget { id: _table; model: _model.tablemodel }
        }
    }

    function keys(model) {
        var result = []
        for (var i = 0; i < model.count; ++i) {
            compare(model.get(i).value, i, "value is the position of " + model.get(i).key)
            result.push(model.get(i).key)
        }
        return result
    }

    function test_catalogues() {
        var types = keys(createTemporaryObject(_sendungsart, _case))
        compare(types, ["eco 48", "eco 24", "eco 24+", "Overnight", "Overnight+", "Overnight++", "TB Express",
                        "TB Express 12 h", "TB Express 10 h", "TB Express 9 h", "TB Economy", "WW Express",
                        "WW Express 12 h", "WW Express 10 h", "WW Express 9 h", "Same Day", "Direktfahrt",
                        "Lager", "Sonstiges"])
        compare(types.filter(function (t) { return t.indexOf("WW Express") >= 0 }),
                ["WW Express", "WW Express 12 h", "WW Express 10 h", "WW Express 9 h"])
        compare(keys(createTemporaryObject(_richtungen, _case)), ["Export", "Import", "Drittland", "Domestik", "Lokal"])
        compare(keys(createTemporaryObject(_versandpartner, _case)),
                ["UPS", "ILONEX", "DHL-Express", "DHL-Paket", "Time Matters", "FedEx", "TNT-Express"])
    }

    function test_positionsModelRows() {
        var positions = createTemporaryObject(_positions, _case)
        var header = { pos: "Pos.", text: "Beschreibung", richtung: "Richtung", gewicht: "Gewicht",
                       service: "Service", nettopreis: "Nettopreis" }
        compare(positions.getRowCount(), 1)
        compare(positions.tablemodel.getRow(0), header)

        positions.appendRow(1, undefined, "Export", "2", "eco 24", 20)
        compare(positions.getRowCount(), 1, "no row without a text")
        // what a preview hands over: numbers as the backend sends them
        positions.appendRow(1, "Paket", "Export", 2.5, "eco 24", 20)
        positions.appendRow(2, "", "Import", "", "Lager", "12.50")
        compare(positions.getRowCount(), 3)
        var first = positions.tablemodel.getRow(1)
        compare(String(first.pos), "1")
        compare(first.text, "Paket")
        compare(String(first.gewicht), "2.5")
        compare(first.nettopreis, "EUR 20")
        compare(positions.tablemodel.getRow(2).nettopreis, "EUR 12.50")

        positions.clearModel()
        compare(positions.getRowCount(), 1)
        compare(positions.tablemodel.getRow(0), header)
        positions.appendRow(1, "again", "Lokal", "1", "Same Day", 5)
        compare(positions.getRowCount(), 2, "a cleared table takes rows again")
    }

    function test_priceWidgetBoldLabelRows() {
        var holder = createTemporaryObject(_pricesWidget, _case)
        var prices = holder.model
        compare(prices.getRowCount(), 0)
        for (var rate = 0; rate < 3; ++rate) {
            prices.appendRow("Nettobetrag\n(leistung innerh. der EU)", "Umsatzsteuer 19%", "Summe")
            prices.appendRow("10 €", "1.90 €", "11.90 €")
        }
        compare(prices.getRowCount(), 6)
        waitForRendering(holder.table)
        for (var row = 0; row < 6; ++row) {
            var cell = findChild(holder.table, "cell_" + row + "_1")
            verify(cell, "cell of row " + row)
            compare(findChild(cell, "cellText").font.bold, row % 2 === 0, "row " + row)
            compare(String(cell.color), row % 2 === 0 ? "#dddddd" : "#efefef")
        }
        compare(holder.table.interactive, false)
        prices.tablemodel.clear()
        compare(prices.getRowCount(), 0)
    }

    function test_positionsWidget() {
        var holder = createTemporaryObject(_positionsWidget, _case)
        var table = holder.table
        for (var i = 1; i <= 7; ++i)
            holder.model.appendRow(i, "Position " + i, "Export", "1", "eco 24", i * 10)
        tryCompare(table, "rows", 8)
        waitForRendering(table)
        var header = findChild(table, "cell_0_5")
        compare(findChild(header, "cellText").font.bold, true)
        compare(findChild(header, "cellText").horizontalAlignment, Text.AlignLeft)
        compare(String(header.color), "#dddddd")
        var price = findChild(table, "cell_1_5")
        compare(findChild(price, "cellText").text, "EUR 10")
        compare(findChild(price, "cellText").font.bold, false)
        compare(findChild(price, "cellText").horizontalAlignment, Text.AlignRight)
        compare(String(price.color), "#efefef")
        compare(findChild(findChild(table, "cell_1_0"), "cellText").text, "1", "numbers shown as text")

        // every value whole: a column as wide as its widest text, the
        // description the rest (it wraps), nothing to scroll sideways
        holder.model.appendRow(8, "Eine sehr lange Beschreibung, die in der schmalen Spalte umbricht, "
                               + "statt eine Zahl daneben abzuschneiden", "Drittland", "1.250,5", "WW Express 12 h",
                               "99999.50")
        holder.width = 800
        tryCompare(table, "rows", 9)
        tryVerify(function () { return table.columnWidthList.length === 6 })
        var sum = table.columnWidthList.reduce(function (a, b) { return a + b }, 5 * table.columnSpacing)
        compare(sum, Math.floor(table.width))
        tryVerify(function () { return table.contentWidth <= table.width }, 2000, "no sideways scrolling")
        table.contentY = table.contentHeight - table.height
        waitForRendering(table)
        for (var column = 0; column < 6; ++column) {
            var text = findChild(findChild(table, "cell_8_" + column), "cellText")
            verify(text.contentWidth <= text.width - 2 * table.cellPadding + 0.5, "whole: " + text.text)
            verify(text.contentHeight <= text.height - 2 * table.cellPadding + 0.5, "whole: " + text.text)
        }
        verify(findChild(table, "cell_8_1").height > findChild(table, "cell_8_2").height / 2
               && findChild(findChild(table, "cell_8_1"), "cellText").lineCount > 1, "the description wraps")

        // dragging only when the rows are higher than the table
        holder.height = table.rowsHeight
        compare(table.interactive, false)
        holder.height = table.rowsHeight - 10
        compare(table.interactive, true)
        holder.model.clearModel()
        tryCompare(table, "rows", 1)
        compare(table.interactive, false)
    }
}
