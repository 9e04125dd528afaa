import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

// A text field with its label above it. What the user types is taken as it
// stands (no trimming, no checks). A value longer than the field is shown
// from its first character while the user is not typing in it.
ColumnLayout {
    id: _cell

    // the label's text
    property alias label: _label.text
    // the label's colour
    property alias labelColor: _label.color
    // the field's text
    property alias text: _input.text
    // true: the text is shown but cannot be typed into
    property alias readOnly: _input.readOnly
    // the text field itself
    readonly property alias field: _input

    spacing: 2 * c_Scale

    FormLabel {
        id: _label

        Layout.fillWidth: true
    }

    TextField {
        id: _input

        Layout.fillWidth: true
        selectByMouse: true
        // named after its label for assistive technology
        Accessible.name: _label.text
        // a value filled in (or left) shows its beginning, not its end: the
        // field scrolls to where its cursor is; Tab into it goes to the end
        onTextChanged: if (!activeFocus) cursorPosition = 0
        onActiveFocusChanged: {
            if (!activeFocus)
                cursorPosition = 0
            else if (focusReason === Qt.TabFocusReason || focusReason === Qt.BacktabFocusReason)
                cursorPosition = length
        }
    }
}
