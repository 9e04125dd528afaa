import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

// A text area of several lines with its label above it. Tab moves on to
// `nextItem`, as from every other field, instead of typing a tab; what is
// typed or pasted beyond `maxLength` characters is cut off.
ColumnLayout {
    id: _cell

    // the label's text
    property alias label: _label.text
    // the label's colour
    property alias labelColor: _label.color
    // the text as typed
    property alias text: _area.text
    // what the empty area shows in its place (the text itself stays empty)
    property alias placeholderText: _area.placeholderText
    // the lines the text takes
    readonly property alias lineCount: _area.lineCount
    // the most characters the text keeps
    property int maxLength: 254
    // where Tab goes
    property Item nextItem: null
    // the text area itself
    readonly property alias field: _area

    spacing: 2 * c_Scale

    FormLabel {
        id: _label

        Layout.fillWidth: true
    }

    TextArea {
        id: _area

        Layout.fillWidth: true
        Layout.minimumHeight: 2 * implicitHeight
        wrapMode: TextEdit.WrapAtWordBoundaryOrAnywhere
        selectByMouse: true
        // named after its label for assistive technology
        Accessible.name: _label.text
        KeyNavigation.priority: KeyNavigation.BeforeItem
        KeyNavigation.tab: _cell.nextItem
        onTextChanged: {
            if (length > _cell.maxLength) {
                var position = cursorPosition
                text = text.substring(0, _cell.maxLength)
                cursorPosition = Math.min(position, _cell.maxLength)
            }
        }
    }
}
