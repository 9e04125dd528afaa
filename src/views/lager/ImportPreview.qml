import QtQuick 2.15
import QtQuick.Controls 2.15

import "../../../static/colors.js" as Colors
import "../../../static"

// The import's preview: one row per record of the file, its line and result
// first, then its fields, under a heading. The columns take the width their
// values need; when that is more than there is, the preview scrolls
// sideways, heading and rows together.
Rectangle {
    id: _preview

    // must set: the importer's rows (line, result, state and the fields)
    property var rows: null

    // Measures the data columns (all but the result) anew, after new rows
    // came: the width each needs to show its heading and values on one line,
    // and the width of its longest word (the least it may get: a cell wraps
    // at its words). Of many rows only the first are measured; a longer value
    // later wraps.
    function measure() {
        var full = []
        var least = []
        var measured = Math.min(rows.count, 500)
        for (var c = 0; c < _columns.length; ++c) {
            var need = _headingMetrics.advanceWidth(_headings[c])
            var word = need
            for (var r = 0; r < measured; ++r) {
                var text = String(rows.get(r)[_columns[c]])
                need = Math.max(need, _cellMetrics.advanceWidth(text))
                var words = text.split(/\s+/)
                for (var w = 0; w < words.length; ++w)
                    word = Math.max(word, _cellMetrics.advanceWidth(words[w]))
            }
            var padding = 2 * 6 + 1
            full.push(Math.ceil(Math.min(need, 240)) + padding)
            least.push(Math.ceil(Math.min(word, 240)) + padding)
        }
        _full = full
        _least = least
    }

    // a preview row's cells in the order shown: the line, the result, then the data
    function _cells(row) {
        var cells = [row.line, row.result]
        for (var c = 1; c < _columns.length; ++c)
            cells.push(row[_columns[c]])
        return cells
    }

    // the preview's data columns: their headings and the row fields they show
    readonly property var _headings: [qsTr("Zeile"), qsTr("Artikelname"), qsTr("Artikelnr."), qsTr("Typ"), qsTr("Farbe"),
                                      qsTr("Größe"), qsTr("Menge"), qsTr("Lagerplatz"), qsTr("Kategorie"), qsTr("Kunde")]
    readonly property var _columns: ["line", "articlename", "articleno", "typ", "farbe", "size", "quantityText",
                                     "storage_location", "category", "customer_id"]
    // what those columns need on one line, and at least (their longest words)
    property var _full: []
    property var _least: []
    // every column's width, in the order shown. The result, second after the
    // line so that it is always in sight, gets about a third; the data
    // columns share the rest, giving up room down to their longest words, all
    // in the same proportion (below that the preview scrolls sideways); room
    // they leave goes to the result.
    readonly property var _widths: {
        if (_full.length === 0)
            return []
        var result = Math.max(200, Math.min(360, _table.width * 0.3))
        var full = 0
        var least = 0
        for (var i = 0; i < _full.length; ++i) {
            full += _full[i]
            least += _least[i]
        }
        var room = _table.width - result
        var share = full > least ? Math.max(0, Math.min(1, (room - least) / (full - least))) : 1
        var data = []
        var sum = 0
        for (var c = 0; c < _full.length; ++c) {
            data.push(Math.ceil(_least[c] + (_full[c] - _least[c]) * share))
            sum += data[c]
        }
        result = Math.max(result, _table.width - sum)
        return [data[0], result].concat(data.slice(1))
    }
    // the preview's whole width
    readonly property real _tableWidth: {
        var sum = 0
        for (var i = 0; i < _widths.length; ++i)
            sum += _widths[i]
        return sum
    }

    color: "white"
    border.color: "#dddddd"

    FontMetrics {
        id: _cellMetrics
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: 14
    }

    FontMetrics {
        id: _headingMetrics
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: 14
        font.bold: true
    }

    Flickable {
        id: _table

        objectName: "previewTable"
        anchors.fill: parent
        anchors.margins: 1
        contentWidth: _preview._tableWidth
        contentHeight: height
        flickableDirection: Flickable.HorizontalFlick
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.horizontal: ScrollBar {
            id: _sideways

            policy: _table.contentWidth > _table.width ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded
        }

        ImportTableRow {
            id: _heading

            width: _table.contentWidth
            heading: true
            color: Colors.c_darker_white
            widths: _preview._widths
            cells: [_preview._headings[0], qsTr("Ergebnis")].concat(_preview._headings.slice(1))
        }

        ListView {
            id: _list

            objectName: "preview"
            y: _heading.height
            width: _table.contentWidth
            // above the sideways scroll bar, which would cover the last row
            height: _table.height - _heading.height - (_table.contentWidth > _table.width ? _sideways.height : 0)
            clip: true
            model: _preview.rows
            boundsBehavior: Flickable.StopAtBounds
            // at the frame's right edge, wherever the rows are scrolled to
            ScrollBar.vertical: ScrollBar {
                parent: _preview
                x: _preview.width - width - 1
                y: _heading.height + 1
                height: _list.height
            }

            delegate: ImportTableRow {
                objectName: "previewRow_" + index
                width: ListView.view.width
                widths: _preview._widths
                color: {
                    switch (model.state) {
                    case "problem":
                    case "failed": return "#fde7ea"
                    case "created": return "#e6f4ea"
                    case "exists": return "#eeeeee"
                    default: return index % 2 ? "#fafafa" : "white"
                    }
                }
                textColor: model.state === "problem" || model.state === "failed" ? Colors.c_dark_red : Colors.c_form_font
                cells: _preview._cells(model)
            }
        }
    }
}
