import QtQuick 2.15
import QtTest 1.15

import "../../src"

// The top bar's search field driven with mouse and keys: what keywords leave
// the bar, and when.
TestCase {
    id: _case
    name: "SearchBar"
    when: windowShown
    visible: true
    width: 1400
    height: 300

    Component {
        id: _barComponent
        Item {
            property alias snarea: _snarea
            width: _case.width
            height: _case.height
            SearchNotificationArea {
                id: _snarea
                // every keyword since creation, the spy comes too late for the first ones
                property int keywordCount: 0
                width: parent.width
                onSearchArea: ++keywordCount
            }
            // something else to click, to take the focus away
            Rectangle { objectName: "elsewhere"; y: 200; width: 100; height: 100; focus: false
                MouseArea { anchors.fill: parent; onClicked: parent.forceActiveFocus() } }
        }
    }

    SignalSpy { id: _searchSpy; signalName: "searchArea" }

    property var host: null
    property var input: null

    function init() {
        host = createTemporaryObject(_barComponent, _case)
        _searchSpy.clear()
        _searchSpy.target = host.snarea
        input = findChild(host.snarea, "searchInput")
        waitForRendering(host)
    }

    function icon() {
        return findChild(host.snarea, "searchIcon")
    }

    function typeText(text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
    }

    function test_startsWithThePlaceholderAndMagnifier() {
        compare(input.text, "Search")
        compare(icon().text, "\uf002")
        compare(host.snarea.searchBar.isEdited, false)
        compare(host.snarea.keywordCount, 0)
        compare(host.snarea.height, 110 * c_Scale)
    }

    function test_liveSearchFromTheThirdCharacter() {
        mouseClick(input)
        verify(input.activeFocus)
        compare(input.selectedText, "Search")
        keyClick("a")
        compare(input.text, "a")
        compare(icon().text, "\uf00d")
        verify(host.snarea.searchBar.isEdited)
        keyClick("b")
        compare(_searchSpy.count, 0)
        keyClick("C")
        compare(_searchSpy.count, 1)
        compare(_searchSpy.signalArguments[0][0], "abC")
        compare(_searchSpy.signalArguments[0][1], true)
        // deleting down to two characters sends nothing
        keyClick(Qt.Key_Backspace)
        compare(_searchSpy.count, 1)
    }

    function test_returnConfirmsShortText() {
        mouseClick(input)
        typeText("ab")
        keyClick(Qt.Key_Return)
        compare(_searchSpy.count, 1)
        compare(_searchSpy.signalArguments[0][0], "ab")
        compare(_searchSpy.signalArguments[0][1], false)
        keyClick(Qt.Key_Enter)
        compare(_searchSpy.count, 2)
        compare(_searchSpy.signalArguments[1][1], false)
    }

    function test_escapeClearsAndSendsAnEmptySearch() {
        mouseClick(input)
        typeText("muster")
        _searchSpy.clear()
        keyClick(Qt.Key_Escape)
        // only the empty confirmed search, not the placeholder
        compare(_searchSpy.count, 1)
        compare(_searchSpy.signalArguments[0][0], "")
        compare(_searchSpy.signalArguments[0][1], false)
        compare(input.text, "Search")
        compare(icon().text, "\uf002")
        verify(!input.activeFocus)
    }

    function test_iconDoesNothingBeforeAnEdit() {
        mouseClick(icon())
        compare(_searchSpy.count, 0)
        compare(input.text, "Search")
        compare(icon().text, "\uf002")
        verify(!input.activeFocus)
    }

    function test_crossClearsTheField() {
        mouseClick(input)
        typeText("xyz")
        _searchSpy.clear()
        compare(icon().text, "\uf00d")
        mouseClick(icon())
        compare(input.text, "Search")
        compare(icon().text, "\uf002")
        compare(_searchSpy.count, 0)
    }

    function test_emptyFieldGetsThePlaceholderBackOnFocusLoss() {
        mouseClick(input)
        keyClick("q")
        keyClick(Qt.Key_Backspace)
        compare(input.text, "")
        mouseClick(findChild(host, "elsewhere"))
        verify(!input.activeFocus)
        compare(input.text, "Search")
        compare(_searchSpy.count, 0)
        // the kept text survives a focus change
        mouseClick(input)
        typeText("kunde")
        mouseClick(findChild(host, "elsewhere"))
        compare(input.text, "kunde")
        compare(input.selectedText, "")
    }

    function test_activateSearchBarFocusesAndSelects() {
        mouseClick(input)
        typeText("abcd")
        mouseClick(findChild(host, "elsewhere"))
        host.snarea.activateSearchBar()
        verify(input.activeFocus)
        compare(input.selectedText, "abcd")
        // typing replaces the selection
        keyClick("z")
        compare(input.text, "z")
    }
}
