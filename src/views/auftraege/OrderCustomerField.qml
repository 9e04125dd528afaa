import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

import "../../controls"

// The customer of an order with its label above it: picked from suggestions
// while `editable` (a new order), else shown read-only (the change of one).
ColumnLayout {
    id: _cell

    // the label's text
    property alias label: _label.text
    // the label's colour
    property alias labelColor: _label.color
    // true: the customer is picked from suggestions; false: shown read-only
    property bool editable: true
    // the customer's name as the field in use shows it
    readonly property string name: editable ? _suggestions.controlText : _readOnly.text
    // the suggestions field
    readonly property alias suggestions: _suggestions

    // the suggestions field wants suggestions for `text`
    signal search(string text)

    // Shows `name` in the field in use.
    function show(name) {
        if (editable)
            _suggestions.controlText = name
        else
            _readOnly.text = name
    }

    spacing: 2 * c_Scale

    FormLabel {
        id: _label

        Layout.fillWidth: true
    }

    SuggestionsField {
        id: _suggestions

        objectName: "customerField"
        accessibleName: qsTr("Kunde")
        Layout.fillWidth: true
        Layout.preferredHeight: 53 * c_Scale
        visible: _cell.editable
        delegate_name: "customer_fullname"

        function makeRequest(text) {
            _cell.search(text)
        }
    }

    TextField {
        id: _readOnly

        objectName: "customerReadOnly"
        Layout.fillWidth: true
        visible: !_cell.editable
        readOnly: true
        Accessible.name: _suggestions.accessibleName
        // a long name shows its beginning
        onTextChanged: if (!activeFocus) cursorPosition = 0
    }
}
