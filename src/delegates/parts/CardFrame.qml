import QtQuick 2.15

import "../../../static/colors.js" as Colors

// A list card: white with a light grey border, darker under the pointer and
// while pressed, and an action column at its right edge that shows while the
// card is active (the state "actionsbutton_activ"). The card's regions are
// its children; they fill the card left of the action column. As wide as its
// list.
Rectangle {
    id: _card

    // the element's index in the list, set by the view
    property int itindex: -1
    // the action buttons from the top: [{name, glyph, color}]
    property alias actions: _actions.actions
    // opacity of the white glyphs on the action buttons
    property alias actionGlyphOpacity: _actions.glyphOpacity
    // true draws the action button under the pointer at half opacity
    property alias actionsDimOnHover: _actions.dimOnHover
    // the regions of the card, laid out by the card's user inside the content area
    default property alias content: _content.data
    // the space between the border and the regions
    property real padding: 20 * c_Scale

    // true while the action column is shown
    readonly property bool active: state === "actionsbutton_activ"
    // the action column, for tests
    readonly property alias actionColumn: _actions

    // the pointer entered the card
    signal itemHovered()
    // the card was pressed
    signal itemClicked()
    // the card became active: its actions are shown
    signal itemEntered()
    // the action button `name` was clicked
    signal actionTriggered(string name)

    // Marks the card as under the pointer.
    function hoverItem() {
        color = Colors.c_darker_white
        itemHovered()
    }

    // Makes the card active and shows its actions.
    function entersItem() {
        color = Colors.c_darker_white
        state = "actionsbutton_activ"
        itemEntered()
    }

    // Shows the actions and puts the keyboard on the first of them.
    function openActions() {
        entersItem()
        _actions.focusFirst()
    }

    // Returns the card to normal and hides its actions.
    function exitsItem() {
        color = "white"
        state = ""
    }

    width: ListView.view ? ListView.view.width : implicitWidth

    // a card that a list uses again for another record starts as a new one
    ListView.onReused: exitsItem()
    color: "white"
    border.color: "#dddddd"
    border.width: 1

    states: State {
        name: "actionsbutton_activ"
        PropertyChanges { target: _actions; shown: true }
    }

    // The action column lies inside the card's pointer area, so moving onto a
    // button does not count as leaving the card.
    MouseArea {
        id: _area

        objectName: "cardArea"
        anchors.fill: parent
        hoverEnabled: true
        onEntered: _card.hoverItem()
        onExited: _card.exitsItem()
        onPressed: {
            _card.color = Colors.c_grayish_white
            _card.itemClicked()
        }

        Item {
            id: _content

            objectName: "content"
            anchors.left: parent.left
            anchors.right: _actions.left
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.margins: _card.padding
        }

        ActionColumn {
            id: _actions

            objectName: "actionColumn"
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.margins: 1
            onTriggered: _card.actionTriggered(name)
            // Escape: back to the list, on this card
            onDismissed: {
                _card.exitsItem()
                if (_card.ListView.view)
                    _card.ListView.view.forceActiveFocus()
            }
        }
    }
}
