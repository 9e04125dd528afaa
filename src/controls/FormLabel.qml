import QtQuick 2.15

import "../../static"

// The label above a form field. Its text is shown exactly as given, trailing
// blanks included, and never read as markup.
Text {
    font.family: CustomFonts.names.montserrat
    font.pixelSize: 15 * c_Scale
    textFormat: Text.PlainText
    elide: Text.ElideRight
}
