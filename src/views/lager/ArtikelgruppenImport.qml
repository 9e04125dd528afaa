import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Dialogs 1.3

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../static"
import "../../controls"

// Artikelgruppe importieren: the user chooses a CSV file of article groups,
// sees every row with what is wrong with it before anything is sent, and
// imports the good rows with "Importieren" (see ArticleGroupImporter for the
// rules, README.md for the file layout).
Rectangle {
    id: _view

    // the chosen file's URL, as shown in the box
    property string fileUrl: ".."
    // what reads, checks and imports the file
    readonly property alias importer: _importer
    // the view's own message bar
    readonly property alias banner: _banner
    // the file dialog once it has been asked for, else null
    readonly property var fileDialog: _fileDialog

    // Reads the file at `url` into the preview.
    function loadFile(url) {
        fileUrl = String(url)
        if (!_importer.load(url))
            _notify(qsTr("Datei nicht gelesen"), _importer.error, NotificationState.ERROR)
        _measure()
    }

    // "Importieren"
    function startImport() {
        _importer.run()
    }

    // Opens the file dialog in the home folder each time: it would start
    // where the application runs. Qt's dialog is a large tree, so it is made
    // only when the user first asks for it.
    function chooseFile() {
        if (_fileDialog === null)
            _fileDialog = _fileDialogComponent.createObject(_view)
        _fileDialog.folder = _fileDialog.shortcuts.home
        _fileDialog.open()
    }

    function _notify(title, text, state) {
        _banner.settings = [title, text, state]
        _banner.run = true
    }

    // Measures the preview's data columns (all but the result): the width
    // each needs to show its heading and values on one line, and the width
    // of its longest word (the least it may get: a cell wraps at its words).
    // Of many rows only the first are measured; a longer value later wraps.
    function _measure() {
        var full = []
        var least = []
        var rows = Math.min(_importer.rows.count, 500)
        for (var c = 0; c < _columns.length; ++c) {
            var need = _headingMetrics.advanceWidth(_headings[c])
            var word = need
            for (var r = 0; r < rows; ++r) {
                var text = String(_importer.rows.get(r)[_columns[c]])
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
    // the file dialog, made by chooseFile()
    property var _fileDialog: null

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

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

    ArticleGroupImporter {
        id: _importer

        onFailed: _view._notify(qsTr("Server nicht erreicht"), text, NotificationState.ERROR)
        onFinished: {
            var text = qsTr("%1 angelegt, %2 bereits vorhanden, %3 fehlgeschlagen, %4 übersprungen")
                .arg(summary.created).arg(summary.exists).arg(summary.failed).arg(summary.skipped)
            if (summary.failed > 0)
                _view._notify(qsTr("Import mit Fehlern beendet"), text, NotificationState.ERROR)
            else if (summary.skipped > 0)
                _view._notify(qsTr("Import beendet, Zeilen übersprungen"), text, NotificationState.WARNING)
            else
                _view._notify(qsTr("Import abgeschlossen"), text, NotificationState.SUCCESS)
        }
    }

    Component {
        id: _fileDialogComponent

        FileDialog {
            title: "Please choose a file"
            nameFilters: [qsTr("CSV Dateien (*.csv)")]
            onAccepted: _view.loadFile(fileUrls[0])
        }
    }

    Column {
        id: _chooser

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 40
        spacing: 16

        Text {
            text: qsTr("Wählen Sie bitte ein CSV Datei aus")
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 20
            color: Colors.c_nav_font
        }

        Row {
            width: parent.width
            spacing: 16

            Rectangle {
                width: parent.width - _folderButton.width - parent.spacing
                height: 72
                color: "white"
                border.color: "#bbbbbb"
                border.width: 1

                Text {
                    objectName: "fileUrl"
                    anchors.fill: parent
                    anchors.leftMargin: 16
                    anchors.rightMargin: 16
                    verticalAlignment: Text.AlignVCenter
                    // a path has no words to wrap at; it is shown whole, in two lines at most
                    wrapMode: Text.WrapAnywhere
                    fontSizeMode: Text.VerticalFit
                    minimumPixelSize: 12
                    textFormat: Text.PlainText
                    text: _view.fileUrl.indexOf("file://") === 0
                          ? decodeURIComponent(_view.fileUrl.substring(7)) : _view.fileUrl
                    font.family: CustomFonts.names.nunitoSans
                    font.pixelSize: 20
                    color: Colors.c_form_font
                }
            }

            Button {
                id: _folderButton

                objectName: "folderButton"
                width: 90
                height: 72
                enabled: !_importer.running
                font.family: CustomFonts.names.fontAwesomeRegular
                font.bold: true
                font.pixelSize: 40
                text: "\uf07c"
                onClicked: _view.chooseFile()
            }
        }

        Button {
            objectName: "importButton"
            width: parent.width
            height: 80
            highlighted: true
            font.pixelSize: 20
            text: qsTr("Importieren")
            enabled: _importer.readyCount > 0 && !_importer.running && !_importer.checking
            onClicked: _view.startImport()
        }

        // the file's summary line
        Text {
            objectName: "fileSummary"
            width: parent.width
            visible: _importer.rows.count > 0
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 16
            color: Colors.c_nav_font
            text: {
                var parts = [qsTr("%1 Zeilen, %2 bereit zum Import").arg(_importer.rows.count).arg(_importer.readyCount)]
                if (_importer.checking)
                    parts.push(qsTr("wird geprüft …"))
                if (_importer.ignoredColumns.length > 0)
                    parts.push(qsTr("ignorierte Spalten: %1").arg(_importer.ignoredColumns.join(", ")))
                return parts.join(" · ")
            }
        }

        ProgressBar {
            objectName: "progress"
            width: parent.width
            visible: _importer.total > 0
            from: 0
            to: Math.max(1, _importer.total)
            value: _importer.done
        }
    }

    Rectangle {
        id: _frame

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: _chooser.bottom
        anchors.bottom: parent.bottom
        anchors.margins: 40
        anchors.topMargin: 20
        visible: _importer.rows.count > 0
        color: "white"
        border.color: "#dddddd"

        // the columns take the width they need; when that is more than there
        // is, the preview scrolls sideways, heading and rows together
        Flickable {
            id: _table

            objectName: "previewTable"
            anchors.fill: parent
            anchors.margins: 1
            contentWidth: _view._tableWidth
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
                widths: _view._widths
                cells: [_view._headings[0], qsTr("Ergebnis")].concat(_view._headings.slice(1))
            }

            ListView {
                id: _preview

                objectName: "preview"
                y: _heading.height
                width: _table.contentWidth
                // above the sideways scroll bar, which would cover the last row
                height: _table.height - _heading.height - (_table.contentWidth > _table.width ? _sideways.height : 0)
                clip: true
                model: _importer.rows
                boundsBehavior: Flickable.StopAtBounds
                // at the frame's right edge, wherever the rows are scrolled to
                ScrollBar.vertical: ScrollBar {
                    parent: _frame
                    x: _frame.width - width - 1
                    y: _heading.height + 1
                    height: _preview.height
                }

                delegate: ImportTableRow {
                    objectName: "previewRow_" + index
                    width: ListView.view.width
                    widths: _view._widths
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
                    cells: _view._cells(model)
                }
            }
        }
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
