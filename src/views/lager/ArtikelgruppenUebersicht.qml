import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Artikelgruppe Übersicht: still a placeholder; it takes the container's refreshes.
PlaceholderPage {
    // reload the view's data
    signal refresh()

    title: qsTr("Artikelgruppe Übersicht")
}
