import QtQuick 2.15

// Lays over a list and moves it by 30 (× scale) for each notch of the mouse
// wheel (or as far as a touchpad moves), never beyond its ends; clicks pass.
MouseArea {
    // must set: the list (or any flickable) the wheel moves
    property Flickable target: null

    acceptedButtons: Qt.NoButton
    onWheel: {
        var step = 30 * c_Scale
        var notches = wheel.pixelDelta.y !== 0 ? wheel.pixelDelta.y / step : wheel.angleDelta.y / 120
        var top = target.originY
        var bottom = Math.max(top, target.originY + target.contentHeight - target.height)
        target.contentY = Math.max(top, Math.min(bottom, target.contentY - notches * step))
    }
}
