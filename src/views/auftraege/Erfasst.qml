import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Erfasste Aufträge: still a placeholder; it takes the container's refreshes and searches.
PlaceholderPage {
    // reload the list; keyword "" for all entries
    signal refresh(var keyword)
    // a confirmed search from the top bar
    signal modelRefresh(var keyword)
    // a live search while the user types
    signal modelLiveRefresh(var keyword)

    title: qsTr("Erfasste Aufträge")
}
