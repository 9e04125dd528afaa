import QtQuick 2.15
import FontAwesome 1.0

import "./fontAwesomeNames.js" as IconNames

// Gallery of every icon of the FontAwesome module with its name; a tool for
// picking icons, not part of any view.
Flickable {
    id: _gallery

    readonly property int columns: 15
    readonly property int cellSize: 70

    contentWidth: _grid.width
    contentHeight: _grid.height
    clip: true

    Grid {
        id: _grid

        columns: _gallery.columns
        spacing: 10

        Repeater {
            model: IconNames.names

            Column {
                width: _gallery.cellSize * 1.6

                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    font.family: FontAwesome.fontFamily
                    font.pixelSize: _gallery.cellSize
                    text: FontAwesome[modelData]
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    font.pixelSize: 11
                    text: modelData
                }
            }
        }
    }
}
