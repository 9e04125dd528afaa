import QtQuick 2.15
import QtQuick.Controls 2.15

// Qt's busy indicator with its style's spinner hidden while it does not run.
// A spinner made while stopped, or faded out offscreen, goes on animating
// unseen and keeps the whole window redrawing while nothing happens.
BusyIndicator {
    id: _indicator

    Binding {
        target: _indicator.contentItem
        property: "visible"
        value: _indicator.running
    }
}
