import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Neuer Kunde: still a placeholder.
PlaceholderPage {
    title: qsTr("Neuer Kunde")
}
