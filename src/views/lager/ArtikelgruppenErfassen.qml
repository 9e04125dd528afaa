import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Artikelgruppe erfassen: still a placeholder.
PlaceholderPage {
    title: qsTr("Artikelgruppe erfassen")
}
