import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Rechnungen: still a placeholder.
PlaceholderPage {
    title: qsTr("Rechnungen")
}
