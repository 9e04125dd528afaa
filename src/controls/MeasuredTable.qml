import QtQuick 2.15

// A table whose columns are as wide as their widest text, so that no value is
// ever cut or hidden behind a sideways scroll; one column may instead take the
// width the others leave and wrap its texts (`wrappingColumn`). Each row is as
// high as its highest cell. A table built on it sets `model` (a table model
// whose cells have the role "display"), its delegate (a cell with the padding
// `cellPadding`, texts in the default font), and `boldRow` for the rows whose
// texts are bold.
TableView {
    id: _table

    // the column that takes the width the others leave and wraps its texts; -1: none
    property int wrappingColumn: -1
    // the space between a cell's edge and its text
    property real cellPadding: 12
    // whether the texts of row `row` are drawn bold (they are measured so)
    property var boldRow: function (row) { return false }
    // the width of each column, as laid out
    readonly property var columnWidthList: _widths
    // the height of all rows with the spacing between them
    readonly property real rowsHeight: _rowsHeight

    // The text of a cell as it is shown.
    function cellText(row, column) {
        var value = model.data(model.index(row, column), "display")
        return value === undefined || value === null ? "" : String(value)
    }

    // Measures every cell and lays the table out anew (rows, columns and the
    // width change it; a host that changes cells in place calls it).
    function relayout() {
        var widths = []
        var heights = []
        var count = model ? rows : 0
        var columnCount = model ? columns : 0
        var others = 0
        for (var c = 0; c < columnCount; ++c) {
            var widest = 0
            for (var r = 0; r < count; ++r) {
                // the wrapping column is at least as wide as its header
                if (c !== wrappingColumn || r === 0)
                    widest = Math.max(widest, _naturalWidth(cellText(r, c), boldRow(r)))
            }
            widths.push(Math.ceil(widest + 2 * cellPadding))
            if (c !== wrappingColumn)
                others += widths[c]
        }
        if (wrappingColumn >= 0 && wrappingColumn < columnCount)
            widths[wrappingColumn] = Math.max(widths[wrappingColumn],
                                              Math.floor(width - others - (columnCount - 1) * columnSpacing))
        var total = 0
        for (var row = 0; row < count; ++row) {
            var highest = 0
            for (var column = 0; column < columnCount; ++column)
                highest = Math.max(highest, _wrappedHeight(cellText(row, column), boldRow(row),
                                                           widths[column] - 2 * cellPadding))
            heights.push(Math.ceil(highest + 2 * cellPadding))
            total += heights[row] + (row > 0 ? rowSpacing : 0)
        }
        _widths = widths
        _heights = heights
        _rowsHeight = total
        // a hidden table lays itself out when it is shown
        if (visible && count > 0)
            forceLayout()
    }

    property var _widths: []
    property var _heights: []
    property real _rowsHeight: 0

    function _naturalWidth(text, bold) {
        _natural.font.bold = bold
        _natural.text = text
        return _natural.implicitWidth
    }

    function _wrappedHeight(text, bold, width) {
        _wrapped.font.bold = bold
        _wrapped.width = Math.max(1, width)
        _wrapped.text = text
        return _wrapped.implicitHeight
    }

    columnSpacing: 1
    rowSpacing: 1
    columnWidthProvider: function (column) {
        return column < _widths.length ? _widths[column] : 0
    }
    rowHeightProvider: function (row) {
        return row < _heights.length ? _heights[row] : 0
    }

    // after the table's own layout pass, which these changes start
    onModelChanged: _relayoutTimer.restart()
    onRowsChanged: _relayoutTimer.restart()
    onColumnsChanged: _relayoutTimer.restart()
    onWidthChanged: _relayoutTimer.restart()
    onVisibleChanged: _relayoutTimer.restart()

    Timer {
        id: _relayoutTimer

        interval: 0
        onTriggered: _table.relayout()
    }

    // what a cell's text needs, measured in the cells' font
    Text {
        id: _natural

        visible: false
        textFormat: Text.PlainText
    }

    Text {
        id: _wrapped

        visible: false
        textFormat: Text.PlainText
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
    }
}
