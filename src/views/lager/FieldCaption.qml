import QtQuick 2.15

// The caption of a form input, placed just above the input it is a child of
// (the warehouse forms' captions sit inside their inputs' top edge).
Text {
    // vertical offset from the input's top edge (negative: above it)
    property real offset: -18 * c_Scale

    y: offset
    color: "#999999"
    font.pixelSize: 13 * c_Scale
    // captions are fixed texts; never read as markup
    textFormat: Text.PlainText

    // the input is read out under its caption (a suggestions field by its text field)
    Component.onCompleted: {
        var input = parent && parent.textfield !== undefined ? parent.textfield : parent
        if (input && !input.Accessible.name)
            input.Accessible.name = text
        // a combo box is read out by its text field as well
        if (input && input.textRole !== undefined && input.contentItem && !input.contentItem.Accessible.name)
            input.contentItem.Accessible.name = text
    }
}
