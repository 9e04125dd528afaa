import QtQuick 2.15
import QtQuick.Window 2.15

// The keyboard scope of a popup that asks or confirms: Return and Enter press
// its default button, or the button that has the keyboard focus. What
// handles Return itself keeps it: a multi-line text area breaks the line, an
// open drop-down takes the highlighted row, an open calendar the day. Escape
// is left to the popup, which closes on it.
FocusScope {
    id: _scope

    // the button Return presses (drawn as the default by the popup's author); null: none
    property Item defaultButton: null

    // Presses the button that has the keyboard focus, else the default
    // button if it can be pressed; false when there was none to press.
    function pressDefault() {
        var focused = Window.activeFocusItem
        if (_isButton(focused) && _isInside(focused)) {
            if (focused.enabled)
                focused.clicked()
            return true
        }
        if (!defaultButton || !defaultButton.visible)
            return false
        if (defaultButton.enabled)
            defaultButton.clicked()
        return true
    }

    // a push button (a check box or switch keeps Return for the default)
    function _isButton(item) {
        return item !== null && typeof item.toggle === "function" && item.checkable === false
    }

    function _isInside(item) {
        for (var i = item; i; i = i.parent) {
            if (i === _scope)
                return true
        }
        return false
    }

    focus: true

    Keys.onReturnPressed: event.accepted = pressDefault()
    Keys.onEnterPressed: event.accepted = pressDefault()
}
