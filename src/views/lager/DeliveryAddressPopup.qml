import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../delegates"
import "../../controls"

// The delivery address popup of the stock overview: an address form, a list
// of addresses that fill it, and "Erstellen", which asks for the delivery
// note. It closes only on Escape and "Abbrechen" (or when its host closes it).
// Return presses "Erstellen", the highlighted button, unless "Abbrechen" has
// the keyboard focus.
Popup {
    id: _popup

    // true while the host works on "Erstellen"; the button waits meanwhile
    property bool busy: false
    // what went wrong with the last "Erstellen", shown beside the buttons
    // (the view's banner lies under the popup's backdrop); empty: nothing
    property string problem: ""
    // the text of the button that asks for the note
    property string createText: qsTr("Erstellen")
    // the addresses offered: ids (1-based position), bezeichnung, strasse_nr, plz, stadt, provinz, land
    readonly property alias addresses: _model
    // the form's texts, for the host and for tests
    readonly property alias bezeichnung: _bezeichnung.text
    readonly property alias strasse_nr: _strasse.text
    readonly property alias plz: _plz.text
    readonly property alias stadt: _stadt.text
    readonly property alias provinz: _provinz.text
    // the country id chosen in "Land"
    readonly property alias land: _land.currentIndex

    // "Erstellen" was pressed
    signal create()

    // fills the form from the address at `index` (its ids minus 1)
    function chooseAddress(index) {
        if (index < 0 || index >= _model.count)
            return
        var address = _model.get(index)
        _bezeichnung.text = address.bezeichnung
        _strasse.text = address.strasse_nr
        _plz.text = String(address.plz)
        _stadt.text = address.stadt
        _provinz.text = address.provinz
        _land.currentIndex = address.land
    }

    width: 1000 * c_Scale
    height: 800 * c_Scale
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    // the keyboard goes back where it was when the popup closes
    property FocusReturn _focusReturn: FocusReturn { popup: _popup }
    Material.theme: Material.Dark
    Material.accent: Material.DeepPurple

    onAboutToShow: problem = ""

    background: Rectangle {
        color: Colors.c_light_purple
    }

    // sample addresses; real ones would come from the customer's records
    ListModel {
        id: _model

        ListElement { ids: 1; bezeichnung: "Zentrallager Nord"; strasse_nr: "Hafenstraße 12"; plz: 20457; stadt: "Hamburg"; provinz: "Hamburg"; land: 36 }
        ListElement { ids: 2; bezeichnung: "Filiale Süd"; strasse_nr: "Leopoldstraße 88"; plz: 80802; stadt: "München"; provinz: "Bayern"; land: 36 }
        ListElement { ids: 3; bezeichnung: "Umschlagplatz West"; strasse_nr: "Rheinallee 5"; plz: 40221; stadt: "Düsseldorf"; provinz: "Nordrhein-Westfalen"; land: 36 }
        ListElement { ids: 4; bezeichnung: "Außenlager Wien"; strasse_nr: "Donaufelder Straße 101"; plz: 1210; stadt: "Wien"; provinz: "Wien"; land: 132 }
    }

    // the countries of the "Land" picker; the chosen index is the country id
    Countrys {
        id: _countries
    }

    contentItem: FocusScope {
        focus: true
        Keys.onReturnPressed: _buttons.pressReturn()
        Keys.onEnterPressed: _buttons.pressReturn()

        Rectangle {
            id: _titleBar

            anchors.left: parent.left
            anchors.right: parent.right
            height: parent.height / 12
            color: Colors.c_dark_purple

            Text {
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: 30 * c_Scale
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Lieferadresse auswählen !")
                font.family: CustomFonts.names.nunitoSans
                font.bold: true
                font.capitalization: Font.AllUppercase
                font.pixelSize: 20 * c_Scale
                color: Colors.c_grayish_white
            }
            Text {
                anchors.right: parent.right
                anchors.rightMargin: 30 * c_Scale
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Gespeichert")
                opacity: 0.7
                font.family: CustomFonts.names.nunitoSans
                font.capitalization: Font.AllUppercase
                font.pixelSize: 16 * c_Scale
                color: Colors.c_grayish_white
            }
        }

        Column {
            id: _form

            anchors.left: parent.left
            anchors.right: _list.left
            anchors.top: _titleBar.bottom
            anchors.margins: 40 * c_Scale
            spacing: 30 * c_Scale

            Text {
                text: qsTr("Lieferadresse")
                font.family: CustomFonts.names.montserrat
                font.pixelSize: 40 * c_Scale
                color: Colors.c_grayish_white
            }
            TextField {
                id: _bezeichnung
                objectName: "bezeichnung"
                width: parent.width
                FieldCaption { text: qsTr("Bezeichnung"); color: Colors.c_master_background }
                selectByMouse: true
            }
            TextField {
                id: _strasse
                objectName: "strasse"
                width: parent.width
                FieldCaption { text: qsTr("Strasse, Nr"); color: Colors.c_master_background }
                selectByMouse: true
            }
            TextField {
                id: _plz
                objectName: "plz"
                width: parent.width
                FieldCaption { text: qsTr("Postleitzahl"); color: Colors.c_master_background }
                selectByMouse: true
                onActiveFocusChanged: if (activeFocus) selectAll()
            }
            TextField {
                id: _stadt
                objectName: "stadt"
                width: parent.width
                FieldCaption { text: qsTr("Stadt"); color: Colors.c_master_background }
                selectByMouse: true
                onActiveFocusChanged: if (activeFocus) selectAll()
            }
            TextField {
                id: _provinz
                objectName: "provinz"
                width: parent.width
                FieldCaption { text: qsTr("Provinz"); color: Colors.c_master_background }
                selectByMouse: true
            }
            ComboBox {
                id: _land
                objectName: "land"
                NoShadowLayer { target: _land.background }
                NoShadowLayer { target: _land.popup.background }
                width: parent.width
                model: _countries
                textRole: "key"
                currentIndex: 36
                FieldCaption { text: qsTr("Land"); color: Colors.c_master_background }
            }
        }

        Rectangle {
            id: _list

            anchors.right: parent.right
            anchors.top: _titleBar.bottom
            anchors.bottom: _buttons.top
            anchors.bottomMargin: 20 * c_Scale
            width: 350 * c_Scale
            color: Colors.c_darker_purple

            ListView {
                objectName: "addressList"
                anchors.fill: parent
                clip: true
                model: _model

                delegate: AdresseDelegate {
                    width: ListView.view.width
                    fields: [ids, bezeichnung, strasse_nr, plz, stadt, provinz, land]
                    onSignalItemClicked: _popup.chooseAddress(index)
                }
            }
        }

        Text {
            objectName: "problem"
            anchors.left: parent.left
            anchors.leftMargin: 40 * c_Scale
            anchors.right: _buttons.left
            anchors.rightMargin: 20 * c_Scale
            anchors.verticalCenter: _buttons.verticalCenter
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            text: _popup.problem
            font.family: CustomFonts.names.nunitoSans
            font.bold: true
            font.pixelSize: 16 * c_Scale
            color: Colors.c_grayish_white
        }

        DialogButtons {
            id: _buttons

            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 30 * c_Scale
            acceptText: _popup.createText
            acceptName: "createButton"
            acceptEnabled: !_popup.busy
            onDeclined: _popup.close()
            onAccepted: _popup.create()
        }
    }
}
