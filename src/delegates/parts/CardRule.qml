import QtQuick 2.15

// A one-pixel rule across a card, between its regions.
Rectangle {
    id: _rule

    width: parent ? parent.width : 0
    height: 1
    color: "#dddddd"
}
