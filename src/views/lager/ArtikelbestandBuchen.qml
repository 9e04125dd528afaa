import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Window 2.15

import Bell 1.0

import "../../../static/colors.js" as Colors
import "../../../static/ConfigStorage.js" as ConfigStorage
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups
import "../../controls"

// Artikelbestand buchen: the form of a booking of pieces of an article group
// under an EAN against the open delivery order. The warehouse books (the
// stock entry, then the group's lowered quantity, taken back when that
// fails); the view fills the form from the chosen group and shows the outcome.
Rectangle {
    id: _view

    // the open delivery order and its workflows, the booking among them
    property var warehouse: null
    // id of the chosen article group, as text; empty until a group is chosen
    property string _articlegroupid: ""
    // vertical offset of each caption above its input
    property real labelInputSpace: -18 * c_Scale
    // true while a booking is outstanding; no second one starts meanwhile
    readonly property bool booking: !!warehouse && warehouse.booking
    // the popup that confirms a booking
    readonly property alias confirmation: _confirmation
    // the view's own message bar
    readonly property alias banner: _banner
    // rings once for each scan booked, twice for each refused
    readonly property alias bell: _bell
    // the outcome of the last scan: "" (none yet), "booked" or "refused"
    property string lastScan: ""

    // Books what the form holds ("Speichern", Ctrl+Return): the warehouse
    // books nothing while a booking is outstanding, nor without a chosen group.
    function saveProcess() {
        if (booking || !warehouse)
            return
        // a quantity typed but not yet confirmed counts
        ArticleGroups.commitTypedValue(_menge)
        warehouse.book(_ean.text, _menge.value, _articlegroupid, _menge.to)
    }

    // A scan: the EAN field's text followed by Return, as a scanner types it.
    // Books the EAN with the quantity in "Menge" (1 while it is 0) for the
    // chosen group and empties the field at once for the next scan, which
    // waits behind this booking if it comes before it is done.
    function scanProcess() {
        var ean = _ean.text.trim()
        _ean.text = ""
        if (ean === "" || !warehouse)
            return
        ArticleGroups.commitTypedValue(_menge)
        warehouse.scan(ean, Math.max(_menge.value, 1), _articlegroupid, _menge.to)
    }

    // Empties the form; `onsave` empties the article name as well.
    function clear_fields(onsave) {
        if (onsave === true)
            _articleName.controlText = ""
        _typ.text = ""
        _ean.text = ""
        _farbe.text = ""
        _articleno.text = ""
        _size.text = ""
        _lager.text = ""
        _menge.value = 0
        _menge.to = 0
        _articlegroupid = ""
        if (onsave === true) {
            // the suggestions of the booked group are done with
            _articleName.searchListModel.clear()
            _articleName.searchfield.visible = false
        }
    }

    // Suggestions for the article name: the groups whose name matches.
    function _searchGroups(text) {
        ServiceWarehouse.get_search_articlegroup(text, Dynamic.getToken(), function (reply) {
            _articleName.searchListModel.clear()
            if (!Request.isList(reply)) {
                _articleName.searchfield.visible = false
                return
            }
            _articleName.searchfield.visible = true
            for (var i = 0; i < reply.length; ++i)
                _articleName.searchListModel.append(ArticleGroups.listRow(reply[i]))
            // one exact hit, or the group just chosen (names may repeat): nothing left to choose
            if ((reply.length === 1 && reply[0].articlename === _articleName.controlText)
                    || (_articlegroupid !== "" && _chosenName === _articleName.controlText))
                _articleName.searchfield.visible = false
        })
    }

    // Fills the form from the chosen group.
    function _choose(index) {
        var group = _articleName.searchListModel.get(index)
        var quantity = Number(group.quantity)
        _typ.text = group.typ
        _ean.text = ""
        _farbe.text = group.farbe
        _menge.value = 0
        _menge.to = isFinite(quantity) && quantity > 0 ? quantity : 0
        _articleno.text = group.articleno
        _size.text = group.size
        _lager.text = group.storage_location
        _articlegroupid = String(group.id)
        _chosenName = String(group.articlename)
        _articleName.searchfield.visible = false
        // a group chosen, the scans come next
        _ean.forceActiveFocus()
    }

    // the article name of the group chosen last
    property string _chosenName: ""

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    InFront {
        id: _inFront
        item: _view
    }

    // a booking done empties the form (the form keeps what was typed when it failed)
    Connections {
        target: _view.warehouse
        function onBooked(entry) {
            if (!entry || !entry.scanned) {
                _view.clear_fields(true)
                _confirmation.open()
                return
            }
            // a scan keeps the group and quantity for the next one
            if (entry.groupId === _view._articlegroupid)
                _menge.to = Math.max(entry.remaining, 0)
            _view.lastScan = "booked"
            _scanLine.text = qsTr("Gebucht: EAN %1, %2 Stück").arg(entry.ean).arg(entry.quantity)
            _bell.confirm()
        }
        function onRefused(entry) {
            if (!entry.scanned)
                return
            _view.lastScan = "refused"
            _scanLine.text = qsTr("Nicht gebucht: EAN %1 (%2)").arg(entry.ean).arg(entry.title)
            _bell.refuse()
        }
        function onReported(workflow, settings) {
            if (workflow !== "booking")
                return
            _banner.settings = settings
            _banner.run = true
        }
    }

    // only while this view is the one in front: elsewhere the keys belong to other views
    Shortcut {
        sequences: ["Ctrl+Return", "Meta+Return"]
        context: Qt.ApplicationShortcut
        enabled: _inFront.shown
        onActivated: _view.saveProcess()
    }

    // the field the keyboard focus moves to comes into sight
    Connections {
        target: _view.Window.window
        function onActiveFocusItemChanged() {
            if (_view.Window.activeFocusItem)
                ArticleGroups.keepInView(_formArea, _view.Window.activeFocusItem, 30 * c_Scale)
        }
    }

    Flickable {
        id: _formArea

        objectName: "formArea"
        anchors.fill: parent
        contentHeight: _form.height + 120 * c_Scale
        clip: true

        Column {
            id: _form

            x: 60 * c_Scale
            y: 70 * c_Scale
            width: Math.min(600 * c_Scale, parent.width - 120 * c_Scale)
            spacing: 38 * c_Scale

            SuggestionsField {
                id: _articleName

                objectName: "articleName"
                width: parent.width
                delegate_name: "articlegroup"
                accessibleName: qsTr("Artikelname")
                function makeRequest(text) {
                    _view._searchGroups(text)
                }
                onItemclicked: _view._choose(index)
                onItem_not_correct: _view.clear_fields()

                FieldCaption { text: qsTr("Artikelname"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _typ
                objectName: "typ"
                width: parent.width
                readOnly: true
                activeFocusOnTab: false
                FieldCaption { text: qsTr("Typ"); font.italic: true; offset: _view.labelInputSpace }
            }
            TextField {
                id: _ean
                objectName: "ean"
                width: parent.width
                selectByMouse: true
                Accessible.description: qsTr("Scannen oder eingeben, Eingabetaste bucht")
                Keys.onReturnPressed: _view.scanProcess()
                Keys.onEnterPressed: _view.scanProcess()
                FieldCaption { text: qsTr("EAN"); offset: _view.labelInputSpace }

                // what came of the last scan, and how many wait
                Text {
                    id: _scanLine

                    objectName: "scanLine"
                    anchors.left: parent.left
                    anchors.top: parent.bottom
                    anchors.topMargin: -6 * c_Scale
                    width: parent.width
                    elide: Text.ElideRight
                    color: _view.lastScan === "refused" ? Material.color(Material.Red) : Material.color(Material.Green)
                    font.pixelSize: 12 * c_Scale
                    font.bold: true
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text

                    Text {
                        objectName: "scansWaiting"
                        anchors.right: parent.right
                        visible: !!_view.warehouse && _view.warehouse.scansWaiting > 0
                        text: qsTr("%1 Scans warten").arg(_view.warehouse ? _view.warehouse.scansWaiting : 0)
                        color: "#999999"
                        font.pixelSize: 12 * c_Scale
                    }
                }
            }
            TextField {
                id: _articleno
                objectName: "articleno"
                width: parent.width
                readOnly: true
                activeFocusOnTab: false
                FieldCaption { text: qsTr("Artikelnummer"); font.italic: true; offset: _view.labelInputSpace }
            }
            TextField {
                id: _farbe
                objectName: "farbe"
                width: parent.width
                readOnly: true
                activeFocusOnTab: false
                FieldCaption { text: qsTr("Farbe"); font.italic: true; offset: _view.labelInputSpace }
            }
            TextField {
                id: _size
                objectName: "size"
                width: parent.width
                readOnly: true
                activeFocusOnTab: false
                FieldCaption { text: qsTr("Größe"); font.italic: true; offset: _view.labelInputSpace }
            }
            SpinBox {
                id: _menge

                objectName: "menge"
                width: parent.width
                editable: true
                from: 0
                FieldCaption { text: qsTr("Menge"); offset: _view.labelInputSpace }

                // what will remain in the group after this booking
                Text {
                    objectName: "remaining"
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.top: parent.bottom
                    anchors.topMargin: -6 * c_Scale
                    text: _view._articlegroupid === "" ? "0" : String(_menge.to - _menge.value)
                    color: "#999999"
                    font.pixelSize: 12 * c_Scale
                }
            }
            TextField {
                id: _lager
                objectName: "lager"
                width: parent.width
                readOnly: true
                activeFocusOnTab: false
                FieldCaption { text: qsTr("Lagerplatz"); font.italic: true; offset: _view.labelInputSpace }
            }
            Button {
                id: _saveButton
                objectName: "saveButton"
                NoShadowLayer { target: _saveButton.background }
                width: parent.width
                text: qsTr("Speichern")
                highlighted: true
                enabled: !_view.booking
                onClicked: _view.saveProcess()
            }
            CheckBox {
                id: _sound

                objectName: "scanSound"
                text: qsTr("Ton bei jedem Scan")
                checked: ConfigStorage.get("scanSound", "1") !== "0"
                onToggled: ConfigStorage.set("scanSound", checked ? "1" : "0")
            }
        }
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: 10
        running: _view.booking
    }

    Bell {
        id: _bell
        enabled: _sound.checked
    }

    SavedPopup {
        id: _confirmation
        objectName: "confirmation"
        // ready for the next booking
        onClosed: _articleName.textfield.forceActiveFocus()
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
