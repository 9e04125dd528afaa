import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

// A drop-down over a catalogue (any list model with the role "key") with its
// label above it. Dark on macOS, light elsewhere, always on light grey.
ColumnLayout {
    id: _cell

    // the label's text
    property alias label: _label.text
    // the label's colour
    property alias labelColor: _label.color
    // the list shown; its rows show their "key"
    property alias model: _box.model
    // the chosen position (-1: none)
    property alias currentIndex: _box.currentIndex
    // the text the box shows
    readonly property alias displayText: _box.displayText
    // the drop-down itself
    readonly property alias box: _box

    spacing: 2 * c_Scale

    FormLabel {
        id: _label

        Layout.fillWidth: true
    }

    ComboBox {
        id: _box

        Layout.fillWidth: true
        textRole: "key"
        NoShadowLayer { target: _box.background }
        NoShadowLayer { target: _box.popup.background }
        // named after its label for assistive technology, the text it shows as well
        Accessible.name: _label.text
        Component.onCompleted: {
            if (contentItem)
                contentItem.Accessible.name = Qt.binding(function () { return _label.text })
        }
        Material.theme: c_OsType === "macos" ? Material.Dark : Material.Light
        Material.background: "#eee"
        Material.foreground: "#444"
        // the open list in the box's font
        delegate: ComboRow {
            box: _box
            label: model.key
            highlighted: _box.highlightedIndex === index
        }
    }
}
