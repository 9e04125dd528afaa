import QtQuick 2.15

// Produktiv
// import "qrc:/static"

// Testing
import "../../../static"

// The caption of a form input: a child of the input, standing just above it.
Text {
    id: _caption

    // vertical offset of the caption from the top of its input (unscaled)
    property real labelInputSpace: -18

    y: labelInputSpace * c_Scale
    textFormat: Text.PlainText
    font.family: CustomFonts.names.nunitoSans
    font.bold: true
    font.pixelSize: 14 * c_Scale
}
