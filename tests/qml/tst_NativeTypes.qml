import QtQuick 2.15
import QtTest 1.15
import example.kestrova.qml.filedownload 1.0
import MyMath 1.0
import Generator 1.0
import TableModel 0.1
import MouseHandling 0.1

// Each native element can be imported by the module name and version the
// documents use, created, and used from QML.
TestCase {
    id: _case
    name: "NativeTypes"

    Component {
        id: _downloadComponent
        Download {
            // what the element reported last, for downloads declared running
            property var lastError: null
            onError: lastError = [errorCode, errorString]
        }
    }

    Component {
        id: _calculatorComponent
        Calculator {}
    }

    Component {
        id: _pdfComponent
        GeneratePDF {}
    }

    Component {
        id: _tableComponent
        Item {
            property alias model: _repeater.model
            property alias repeater: _repeater
            Repeater {
                id: _repeater
                model: TableModel {}
                // the two roles by their names, as a delegate reads them
                delegate: Item {
                    property string cellText: tabledata
                    property bool isHeading: heading
                }
            }
        }
    }

    Component {
        id: _mouseComponent
        MouseHandling {}
    }

    SignalSpy {
        id: _spy
    }

    function init() {
        _spy.clear()
        _spy.target = null
        _spy.signalName = ""
    }

    function test_downloadCopiesALocalFile() {
        compare(Download.ErrorUnknown, 0)
        compare(Download.ErrorUrl, 1)
        compare(Download.ErrorDestination, 2)
        compare(Download.ErrorNetwork, 3)

        var destination = "file://" + testStoragePath + "/copy.qml"
        var download = createTemporaryObject(_downloadComponent, _case, {
            url: Qt.resolvedUrl("tst_NativeTypes.qml"),
            destination: destination,
            running: true
        })
        verify(download)
        tryCompare(download, "running", false)
        compare(download.lastError, null)
        compare(download.progress, 1.0)

        // the copy now exists, so a second element must not overwrite it
        var second = createTemporaryObject(_downloadComponent, _case, {
            url: Qt.resolvedUrl("tst_NativeTypes.qml"),
            destination: destination,
            running: true
        })
        compare(second.lastError[0], Download.ErrorDestination)
        compare(second.lastError[1], "Overwriting not allowed for destination file \"" + testStoragePath + "/copy.qml\"")
        verify(second.running)
    }

    function test_calculatorAddsUp() {
        var calculator = createTemporaryObject(_calculatorComponent, _case)
        _spy.target = calculator
        _spy.signalName = "sumChanged"
        calculator.a = 2
        calculator.b = 3
        compare(calculator.sum, 5)
        compare(_spy.count, 2)
    }

    function test_pdfWriterReadsEmpty() {
        var pdf = createTemporaryObject(_pdfComponent, _case)
        verify(pdf)
        compare(pdf.Response.byteLength, 0)
    }

    function test_tableModelOffersItsRolesByName() {
        var table = createTemporaryObject(_tableComponent, _case)
        compare(table.model.rowCount(), 1)
        compare(table.model.columnCount(), 6)
        compare(table.model.data(table.model.index(0, 5), 257), "Nettopreis")
        compare(table.repeater.count, 1)
        compare(table.repeater.itemAt(0).cellText, "Pos")
        compare(table.repeater.itemAt(0).isHeading, true)
    }

    function test_mouseHandlingTakesAPosition() {
        var mouse = createTemporaryObject(_mouseComponent, _case)
        compare(mouse.mousePos.length, 0)
        mouse.mousePos = [100, 200]
        compare(mouse.mousePos.length, 2)
        compare(mouse.mousePos[0], 100)
        compare(mouse.mousePos[1], 200)
        ignoreWarning(/needs two numbers/)
        mouse.mousePos = [7]
        compare(mouse.mousePos[0], 100)
    }
}
