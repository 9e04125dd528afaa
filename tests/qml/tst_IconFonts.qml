import QtQuick 2.15
import QtTest 1.15
import FontAwesome 1.0

import "../../static"

// Renders the icon fonts and keeps the pictures as build artefacts
// (screenshots/ beside the test runner), so a person can check the glyphs.
TestCase {
    id: _case
    name: "IconFonts"
    when: windowShown
    width: 1400
    height: 900

    Component {
        id: _galleryComponent
        FontAwesomeIcons {
            width: _case.width
            height: _case.height
        }
    }

    Component {
        id: _fa5Component
        Rectangle {
            width: 600
            height: 120
            color: "white"
            Row {
                anchors.centerIn: parent
                spacing: 30
                Repeater {
                    // user, lock, truck, warehouse, gear, bell
                    model: ["\uf007", "\uf023", "\uf0d1", "\uf494", "\uf013", "\uf0f3"]
                    Text {
                        font.family: CustomFonts.names.fontAwesomeRegular
                        font.bold: true
                        font.pixelSize: 60
                        text: modelData
                    }
                }
            }
        }
    }

    // The width of a glyph the font lacks, for telling real glyphs from boxes.
    TextMetrics { id: _missing; font.family: CustomFonts.names.fontAwesomeRegular; font.pixelSize: 60; text: "\ue000" }
    TextMetrics { id: _metrics; font.family: CustomFonts.names.fontAwesomeRegular; font.pixelSize: 60 }

    function saveGrab(item, fileName) {
        var saved = false
        item.grabToImage(function(result) { saved = result.saveToFile(screenshotDirectory + "/" + fileName) })
        tryVerify(function() { return saved }, 5000, fileName)
    }

    function test_boldFontAwesome5DrawsSolidGlyphs() {
        _metrics.font.bold = true
        var solidOnly = ["\uf0d1", "\uf494", "\uf013"] // glyphs that exist only in the solid face
        for (var i = 0; i < solidOnly.length; ++i) {
            _metrics.text = solidOnly[i]
            verify(_metrics.advanceWidth > 0)
            verify(_metrics.boundingRect.width !== _missing.boundingRect.width
                   || _metrics.boundingRect.height !== _missing.boundingRect.height,
                   "glyph " + i + " falls back to a box")
        }
        var sample = createTemporaryObject(_fa5Component, _case)
        waitForRendering(sample)
        saveGrab(sample, "fontawesome5-bold.png")
    }

    function test_gallery() {
        var gallery = createTemporaryObject(_galleryComponent, _case)
        waitForRendering(gallery)
        saveGrab(gallery, "fontawesome-gallery.png")
    }
}
