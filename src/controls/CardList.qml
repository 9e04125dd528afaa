import QtQuick 2.15
import QtQuick.Controls 2.15

// A list of cards as every list of the application shows them: the keys move
// the current card, the current card has a bar at its left edge, the wheel
// steps by 30 (× scale) up to the ends, and a scroll bar appears while the
// cards are longer than the list. Cards ahead of the view are built while the
// user reads, and cards that scroll out of sight are used again.
ListView {
    id: _cards

    clip: true
    focus: true
    // one stop of Tab; the arrows move within
    activeFocusOnTab: true
    keyNavigationEnabled: true
    boundsBehavior: Flickable.StopAtBounds
    cacheBuffer: 2 * height
    reuseItems: true

    CurrentCardBar {
        objectName: "currentBar"
        list: _cards
    }

    // over the list, not on its scrolling content
    WheelStepper {
        objectName: "wheelArea"
        parent: _cards
        anchors.fill: parent
        target: _cards
    }

    ScrollBar.vertical: ScrollBar {
        objectName: "scrollBar"
        policy: ScrollBar.AsNeeded
        stepSize: _cards.contentHeight > 0 ? 30 * c_Scale / _cards.contentHeight : 0
    }
}
