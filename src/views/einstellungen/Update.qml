import QtQuick 2.15

// Produktiv
// import "qrc:/src/views"

// Testing
import ".."

// Updates: still a placeholder.
PlaceholderPage {
    title: qsTr("Updates")
}
