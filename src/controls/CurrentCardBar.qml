import QtQuick 2.15

import "../../static/colors.js" as Colors

// The bar at the left edge of a list's current card, drawn above the cards;
// it springs to each new current card and follows it when the list scrolls.
Rectangle {
    // must set: the list whose current card it marks
    property ListView list: null

    parent: list ? list.contentItem : null
    z: 10
    width: 8 * c_Scale
    height: list && list.currentItem ? list.currentItem.height : 0
    y: list && list.currentItem ? list.currentItem.y : 0
    visible: !!list && list.currentItem !== null
    color: Colors.c_light_purple

    Behavior on y {
        SpringAnimation { spring: 1; damping: 0.1; mass: 0.5 }
    }
}
