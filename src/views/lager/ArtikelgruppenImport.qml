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
        _preview.measure()
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

    // the file dialog, made by chooseFile()
    property var _fileDialog: null

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

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
                NoShadowLayer { target: _folderButton.background }
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
            id: _importButton
            objectName: "importButton"
            NoShadowLayer { target: _importButton.background }
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

    ImportPreview {
        id: _preview

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: _chooser.bottom
        anchors.bottom: parent.bottom
        anchors.margins: 40
        anchors.topMargin: 20
        visible: _importer.rows.count > 0
        rows: _importer.rows
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
