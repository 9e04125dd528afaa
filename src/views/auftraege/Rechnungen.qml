import QtQuick 2.15

import "../../../static"

// "Rechnungen": a white page with its name in the middle; nothing more yet.
Rectangle {
    id: _page

    color: "white"

    Text {
        objectName: "title"
        anchors.centerIn: parent
        text: qsTr("Rechnungen")
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: 60 * c_Scale
    }
}
