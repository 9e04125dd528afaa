import QtQuick 2.15
import QtTest 1.15

import "../../src"
import "../../src/controls"

// Names from the backend are shown as they are: never read as markup, "&"
// never taken as a shortcut mark, and an image tag in them never makes the
// client fetch anything.
ShellTestCase {
    id: _case
    name: "PlainText"
    width: 1400
    height: 700

    // a name as a backend may hold it; the image would come from the backend's own origin
    readonly property string markedName: "Meier <Lager 2> & Söhne"
    readonly property string imageName: "<b>Fett</b><img src=\"" + testServer.productionOrigin + "/probe.png\">"

    Component {
        id: _barComponent
        // wide enough for the whole name
        SearchNotificationArea { width: 2400; visible: false }
    }

    Component {
        id: _pickerComponent
        CustomerPicker { session: _case.session }
    }

    Component {
        id: _fieldComponent
        SuggestionsField { width: 1000 }
    }

    Component {
        id: _bannerComponent
        NotificationBanner { width: _case.width; height: 200 }
    }

    Component {
        id: _metricsComponent
        TextMetrics {}
    }

    function cleanup() {
        cannedServer.clearAnswers()
    }

    // Checks that `item` draws `text` letter for letter in one line: as wide
    // as the text measured in the item's own font.
    function verifyDrawnAsIs(item, text) {
        compare(item.text, text)
        var metrics = createTemporaryObject(_metricsComponent, _case, { font: item.font, text: text })
        verify(Math.abs(item.contentWidth - metrics.advanceWidth) < 1,
               "drawn " + item.contentWidth + " wide, the text is " + metrics.advanceWidth)
        compare(item.lineCount, 1)
    }

    function verifyNothingFetched() {
        wait(300) // a fetch of the image would have started by now
        compare(testServer.records().filter(function (r) { return r.path === "/probe.png" }).length, 0)
    }

    function test_profileName() {
        testServer.clearRecords()
        cannedServer.answer("/me", 200, JSON.stringify({ "surname": markedName, "lastname": imageName }))
        var bar = createTemporaryObject(_barComponent, _case)
        bar.visible = true
        tryCompare(bar.profilArea.profil, "lastname", imageName, 5000)
        verifyDrawnAsIs(findChild(bar, "surname"), markedName)
        verifyDrawnAsIs(findChild(bar, "lastname"), imageName)
        verifyNothingFetched()
    }

    function test_customerPickerRows() {
        testServer.clearRecords()
        cannedServer.answer("/customer", 200, JSON.stringify([{ "id": 5, "surname": markedName, "lastname": "<b>Fett</b>" }]))
        cannedServer.answer("/customer", 400, "")
        var picker = createTemporaryObject(_pickerComponent, _case)
        picker.open()
        tryCompare(picker, "busy", false, 5000)
        compare(picker.customers.count, 2)
        var box = findChild(picker.contentItem, "customerBox")
        mouseClick(box)
        tryVerify(function () { return box.popup.opened })
        var row = box.popup.contentItem.itemAtIndex(1)
        verifyDrawnAsIs(findChild(row, "rowText"), markedName + " <b>Fett</b>")
        box.popup.close()
    }

    function test_suggestionRows() {
        testServer.clearRecords()
        var rows = [["customer_fullname", { "id": 5, "surname": markedName, "lastname": "Gmbh" }, markedName + " Gmbh"],
                    ["category", { "id": 6, "name": imageName }, imageName]]
        for (var i = 0; i < rows.length; ++i) {
            var field = createTemporaryObject(_fieldComponent, _case, { delegate_name: rows[i][0] })
            field.searchListModel.append(rows[i][1])
            field.searchfield.visible = true
            verifyDrawnAsIs(findChild(field.searchfield, "rowText"), rows[i][2])
        }
        verifyNothingFetched()
    }

    function test_bannerMessages() {
        testServer.clearRecords()
        var banner = createTemporaryObject(_bannerComponent, _case)
        banner.settings = [markedName, imageName, 4]
        banner.run = true
        verifyDrawnAsIs(findChild(banner, "title"), markedName)
        verifyDrawnAsIs(findChild(banner, "text"), imageName)
        verifyNothingFetched()
    }
}
