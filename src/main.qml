import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../static/colors.js" as Colors

ApplicationWindow {
    id: _window

    visible: true
    width: c_Width
    height: c_Height
    title: qsTr("Vendrix")

    Material.theme: Material.Dark
    Material.accent: Material.Purple

    color: Colors.c_background

    MainPanel {
        anchors.fill: parent
    }
}
