import QtQuick 2.15

import "../../static"
import "../../static/colors.js" as Colors

// The search field of the top bar: sends a live search for every text of three
// or more characters while typing, a confirmed search on Return, and an empty
// confirmed search on Escape. An empty field shows the placeholder "Search".
Item {
    id: _searchBar

    // true once the user changed the text to anything but the placeholder
    property bool isEdited: false
    // the text as typed (shown in capitals)
    readonly property alias text: _input.text
    // the text input itself
    readonly property alias input: _input

    // a keyword: `livesearch` true while typing, false when confirmed
    signal search(string keyword, bool livesearch)

    // Empties the field, shows the magnifier and gives up the focus (the placeholder returns).
    function deactivateSearch() {
        _input.text = ""
        _private.showCross = false
        _input.focus = false
        // without the focus there is no focus change to bring the placeholder back
        if (!_input.activeFocus)
            _private.restorePlaceholder()
    }

    // Puts the keyboard focus into the field with the whole text selected.
    function activcateSearch() {
        _input.forceActiveFocus()
        _input.selectAll()
    }

    QtObject {
        id: _private

        readonly property string placeholder: "Search"
        // the cross instead of the magnifier
        property bool showCross: false
        // set while the placeholder is put back, which is no search of the user
        property bool restoring: false

        function restorePlaceholder() {
            if (_input.text !== "")
                return
            restoring = true
            _input.text = placeholder
            restoring = false
        }
    }

    Row {
        anchors.left: parent.left
        anchors.leftMargin: 40 * c_Scale
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 20 * c_Scale

        Text {
            id: _icon

            objectName: "searchIcon"
            anchors.verticalCenter: parent.verticalCenter
            font.family: CustomFonts.names.fontAwesomeRegular
            font.bold: true
            font.pixelSize: 20 * c_Scale
            color: Colors.c_nav_font
            text: _private.showCross ? "\uf00d" : "\uf002"

            MouseArea {
                anchors.fill: parent
                anchors.margins: -5 * c_Scale
                onClicked: if (_searchBar.isEdited) _searchBar.deactivateSearch()
            }
        }

        TextInput {
            id: _input

            objectName: "searchInput"
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - _icon.width - parent.spacing
            clip: true
            selectByMouse: true
            font.family: CustomFonts.names.roboto
            font.bold: true
            font.pixelSize: 20 * c_Scale
            font.capitalization: Font.AllUppercase
            color: Colors.c_nav_font
            selectionColor: Colors.c_light_purple
            selectedTextColor: Colors.c_grayish_white

            // the placeholder is no search of the user
            Component.onCompleted: _private.restorePlaceholder()

            onActiveFocusChanged: {
                if (activeFocus)
                    selectAll()
                else
                    deselect()
                _private.restorePlaceholder()
            }

            onTextChanged: {
                if (_private.restoring)
                    return
                if (text !== _private.placeholder) {
                    _private.showCross = true
                    _searchBar.isEdited = true
                }
                if (text.length > 2)
                    _searchBar.search(text, true)
            }

            Keys.onReturnPressed: _searchBar.search(text, false)
            Keys.onEnterPressed: _searchBar.search(text, false)
            Keys.onEscapePressed: {
                _searchBar.deactivateSearch()
                _searchBar.search("", false)
            }
        }
    }
}
