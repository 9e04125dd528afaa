import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

// A check box of a form, optionally with an amount field beside it that is
// shown only while the box is checked. The amount keeps its text while the box
// is unchecked; the form decides whether it counts.
RowLayout {
    id: _cell

    // the box's label, shown exactly as given
    property alias text: _box.text
    // the label's colour
    property color labelColor: "#333333"
    // whether the box is checked
    property alias checked: _box.checked
    // true: the box has an amount field
    property bool hasAmount: false
    // the amount as typed
    property alias amount: _amount.text
    // the check box itself
    readonly property alias box: _box
    // the amount field itself
    readonly property alias amountField: _amount

    spacing: 10 * c_Scale

    CheckBox {
        id: _box

        Material.foreground: _cell.labelColor
    }

    TextField {
        id: _amount

        objectName: "amount"
        Layout.preferredWidth: 180 * c_Scale
        visible: _cell.hasAmount && _box.checked
        selectByMouse: true
        Accessible.name: qsTr("Betrag für %1").arg(_box.text)
    }

    Item {
        Layout.fillWidth: true
    }
}
