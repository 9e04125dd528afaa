import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

// Produktiv
// import "qrc:/static/colors.js" as Colors
// import "qrc:/static"
// import "qrc:/dynamic/variables.js" as Dynamic
// import "qrc:/src/api/request.js" as Request
// import "qrc:/src/api/service_customer.js" as ServiceCustomer

// Testing
import "../../static/colors.js" as Colors
import "../../static"
import "../../dynamic/variables.js" as Dynamic
import "../api/request.js" as Request
import "../api/service_customer.js" as ServiceCustomer

// The modal "Kunde auswählen" popup: loads every customer when it opens and
// hands back the one the user confirms.
Popup {
    id: _picker

    // the rows of the drop-down: the placeholder first, then one per customer
    readonly property alias customers: _customers
    // true while customer pages are being loaded
    readonly property bool busy: _loading
    // the drop-down's current row (0: the placeholder)
    property alias currentIndex: _combo.currentIndex

    // the user confirmed this customer record with "OK"
    signal customerChosen(var customer)
    // the customer list could not be loaded (completely)
    signal loadFailed()

    // the placeholder row's text
    readonly property string placeholderText: qsTr("- Kunde auswählen -")

    // loads all customer pages anew; the rows appear in the order of the replies
    function load() {
        var serial = ++_loadSerial
        _customers.clear()
        _customers.append({ "name": placeholderText })
        _combo.currentIndex = 0
        _loading = true
        _loadPage(1, serial)
    }

    // "OK": hands back the chosen customer and closes; with the placeholder chosen nothing happens
    function accept() {
        var row = _combo.currentIndex > 0 ? _customers.get(_combo.currentIndex) : null
        if (!row || row.data === undefined)
            return
        customerChosen(row.data)
        close()
    }

    property bool _loading: false
    property int _loadSerial: 0

    // Pages count from 1; the end of the pages shows after the last one (a
    // first page that does not come is a failure).
    function _loadPage(page, serial) {
        ServiceCustomer.get_customers(page, Dynamic.getToken(), function (reply) {
            if (serial !== _loadSerial)
                return // the picker was opened again meanwhile
            var endOfList = Request.isEndOfPages(reply) && page > 1
            if (!endOfList && !Request.isList(reply)) {
                _loading = false
                loadFailed()
                return
            }
            if (endOfList || reply.length === 0) {
                _loading = false
                return
            }
            for (var i = 0; i < reply.length; ++i) {
                var customer = reply[i]
                _customers.append({ "name": customer.surname + " " + customer.lastname, "data": customer })
            }
            _loadPage(page + 1, serial)
        })
    }

    width: 600 * c_Scale
    height: 350 * c_Scale
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    // light text on the purple card, as in the application's dark window
    Material.theme: Material.Dark

    onAboutToShow: load()

    background: Rectangle {
        color: Colors.c_light_purple
    }

    ListModel {
        id: _customers
    }

    contentItem: Item {
        Rectangle {
            id: _titleBar
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: 50 * c_Scale
            color: Colors.c_dark_purple

            Text {
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: 20 * c_Scale
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Kunde auswählen")
                font.family: CustomFonts.names.nunitoSans
                font.capitalization: Font.AllUppercase
                font.bold: true
                font.pixelSize: 15 * c_Scale
                color: Colors.c_grayish_white
            }

            BusyIndicator {
                objectName: "busyIndicator"
                anchors.right: parent.right
                anchors.rightMargin: 10 * c_Scale
                anchors.verticalCenter: parent.verticalCenter
                height: parent.height * 0.8
                width: height
                running: _picker.busy
                Material.accent: Colors.c_grayish_white
            }
        }

        Column {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: _titleBar.bottom
            anchors.margins: 30 * c_Scale
            spacing: 20 * c_Scale

            Label {
                objectName: "prompt"
                text: qsTr("Wählen Sie bitte einen Kunden aus:")
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 17 * c_Scale
                color: Colors.c_grayish_white
            }

            ComboBox {
                id: _combo
                objectName: "customerBox"
                width: parent.width
                model: _customers
                textRole: "name"
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 15 * c_Scale

                // the open list on a card of the palette, so its light rows
                // read the same as the rest of the picker
                popup.background: Rectangle {
                    color: Colors.c_dark_purple
                    radius: 2
                }

                // the rows of the open list in the box's own font
                delegate: ComboRow {
                    box: _combo
                    label: model.name
                    highlighted: _combo.highlightedIndex === index
                    Material.foreground: Colors.c_grayish_white
                }
            }
        }

        Row {
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 30 * c_Scale
            spacing: 20 * c_Scale
            Material.accent: Material.BlueGrey

            Button {
                objectName: "cancelButton"
                text: qsTr("Abbrechen")
                font.pixelSize: 15 * c_Scale
                highlighted: true
                onClicked: _picker.close()
            }

            Button {
                objectName: "okButton"
                text: qsTr("OK")
                font.pixelSize: 15 * c_Scale
                highlighted: true
                onClicked: _picker.accept()
            }
        }
    }
}
