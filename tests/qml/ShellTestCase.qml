import QtQuick 2.15
import QtQuick.Window 2.15

// A server test case for the shell's documents: visible, so that the items it
// creates take mouse events, and able to keep a picture of the whole window.
ServiceTestCase {
    id: _shellCase

    when: windowShown
    visible: true

    // Saves the window's picture as `fileName` in the screenshot directory,
    // once the pages have finished sliding.
    function saveWindowGrab(fileName) {
        wait(600)
        var saved = false
        _shellCase.Window.window.contentItem.grabToImage(function (result) {
            saved = result.saveToFile(screenshotDirectory + "/" + fileName)
        })
        tryVerify(function () { return saved }, 5000, fileName)
    }
}
