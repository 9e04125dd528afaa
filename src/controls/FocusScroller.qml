import QtQuick 2.15
import QtQuick.Window 2.15

// Keeps the item with the keyboard focus in sight in `flickable`: whenever
// the focus moves to an item inside it (Tab, a click, a box ticked with the
// keyboard), the flickable scrolls just far enough to show that item whole,
// with room for its label above it. Put it anywhere in the same window.
Item {
    id: _scroller

    // the flickable whose contents hold the focusable items
    property Flickable flickable: null
    // room left above and below the item shown (a field's label stands above it)
    property real margin: 40 * c_Scale

    // Scrolls `flickable` so that `item` is whole in sight (its top, when it
    // is higher than the view); nothing for an item outside the flickable.
    function reveal(item) {
        if (!flickable || !item || !_isInside(item))
            return
        var top = item.mapToItem(flickable.contentItem, 0, 0).y
        var bottom = top + item.height
        var y = flickable.contentY
        if (top - margin < y || bottom - top + 2 * margin > flickable.height)
            y = top - margin
        else if (bottom + margin > y + flickable.height)
            y = bottom + margin - flickable.height
        var last = Math.max(flickable.originY, flickable.originY + flickable.contentHeight - flickable.height)
        flickable.contentY = Math.max(flickable.originY, Math.min(last, y))
    }

    // the item that has the keyboard focus in this window
    readonly property Item _focused: Window.activeFocusItem

    function _isInside(item) {
        for (var i = item.parent; i; i = i.parent) {
            if (i === flickable.contentItem)
                return true
        }
        return false
    }

    on_FocusedChanged: reveal(_focused)
}
