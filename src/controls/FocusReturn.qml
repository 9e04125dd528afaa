import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15

// Gives the keyboard focus back to where it was when a popup opened, once the
// popup has closed: a closed popup would otherwise leave the focus nowhere.
// Nothing happens when the popup's host moved the focus itself meanwhile, or
// when that item is gone from sight.
QtObject {
    // must set: the popup
    property Popup popup: null

    // the item that had the focus when the popup opened
    property Item _before: null

    property Connections _watch: Connections {
        target: popup
        function onAboutToShow() {
            var window = popup.parent ? popup.parent.Window.window : null
            _before = window ? window.activeFocusItem : null
        }
        function onClosed() {
            var item = _before
            _before = null
            if (!item || !item.visible || !item.enabled)
                return
            var window = item.Window.window
            // the host chose where the keyboard goes next: that stands
            var now = window ? window.activeFocusItem : null
            if (now && now !== window.contentItem && now !== popup.parent)
                return
            item.forceActiveFocus()
        }
    }
}
