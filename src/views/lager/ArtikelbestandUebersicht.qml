import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Artikelbestand Übersicht: still a placeholder; it takes the container's refreshes.
PlaceholderPage {
    // reload the view's data
    signal refresh()

    title: qsTr("Artikelbestand Übersicht")
}
