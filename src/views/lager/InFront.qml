import QtQuick 2.15
import QtQuick.Controls 2.15

// Whether an item is on the page in front: visible, and on the current page
// of every SwipeView that holds it (a page beside the current one is still
// visible, only out of sight). Keys that belong to one view go by it.
QtObject {
    // the item in question, usually the view itself
    property Item item: null
    // true while the item is on the page in front
    readonly property bool shown: {
        if (!item || !item.visible)
            return false
        for (var page = item; page; page = page.parent) {
            var swipe = page.SwipeView
            if (swipe.view && !swipe.isCurrentItem)
                return false
        }
        return true
    }
}
