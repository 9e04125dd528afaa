import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Artikelbestand buchen: still a placeholder.
PlaceholderPage {
    title: qsTr("Artikelbestand buchen")
}
