import QtQuick 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../../static"

// One option of a card: a green check when its flag is set, a red cross when
// not, followed by its label. An option with an amount ends in
// "[amount]" while set and "[-]" while not. A label wider than the option
// wraps, so that an amount is never cut.
Item {
    id: _option

    // the option's flag
    property bool checked: false
    // the option's label
    property string label: ""
    // true: the label is followed by the bracketed amount
    property bool hasAmount: false
    // the amount shown between the brackets while the flag is set
    property var amount: ""
    // pixel size of glyph and label
    property real pixelSize: 15 * c_Scale

    // the label as it is shown
    readonly property string text: hasAmount
                                   ? label + " [" + (checked ? (amount === undefined || amount === null ? "" : String(amount)) : "-") + "]"
                                   : label

    implicitWidth: _glyph.width + _label.implicitWidth + 10 * c_Scale
    implicitHeight: Math.max(_glyph.implicitHeight, _label.implicitHeight)

    Text {
        id: _glyph

        objectName: "glyph"
        width: Math.ceil(_option.pixelSize * 1.3)
        anchors.top: parent.top
        horizontalAlignment: Text.AlignHCenter
        font.family: CustomFonts.names.fontAwesomeRegular
        font.bold: true
        font.pixelSize: _option.pixelSize
        color: _option.checked ? Material.color(Material.Green) : Material.color(Material.Red)
        text: _option.checked ? "\uf00c" : "\uf00d"
    }

    Text {
        id: _label

        objectName: "label"
        anchors.left: _glyph.right
        anchors.leftMargin: 10 * c_Scale
        anchors.right: parent.right
        anchors.top: parent.top
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        textFormat: Text.PlainText
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: _option.pixelSize
        color: Colors.c_nav_font
        text: _option.text
    }
}
