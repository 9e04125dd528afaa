import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Window 2.15
import ArticleGroupCsv 1.0

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups
import "../../controls"

// Artikelbestand buchen: books pieces of an article group under an EAN against
// the open delivery order. A booking is the stock entry and, only after it
// exists, the group's lowered quantity; when the lowering fails the entry is
// taken back, so that stock and group never disagree.
Rectangle {
    id: _view

    // id of the chosen article group, as text; empty until a group is chosen
    property string _articlegroupid: ""
    // vertical offset of each caption above its input
    property real labelInputSpace: -18 * c_Scale
    // true while a booking is outstanding; no second one starts meanwhile
    readonly property bool booking: _booking
    // the popup that confirms a booking
    readonly property alias confirmation: _confirmation
    // the view's own message bar
    readonly property alias banner: _banner

    // Books what the form holds ("Speichern", Ctrl+Return): does nothing while
    // a booking is outstanding, and books nothing without a chosen group.
    function saveProcess() {
        if (_booking)
            return
        // a quantity typed but not yet confirmed counts
        ArticleGroups.commitTypedValue(_menge)
        if (_articlegroupid === "") {
            _notify(qsTr("Keine Artikelgruppe gewählt"),
                    qsTr("Wählen Sie zuerst eine Artikelgruppe aus; nichts wurde gebucht"), NotificationState.WARNING)
            return
        }
        // pieces by the article groups' rule: a whole number of at least 1
        var problems = _rule.quantityProblems(String(_menge.value))
        if (problems.length > 0) {
            _notify(qsTr("Nichts gebucht"), problems.join("; "), NotificationState.WARNING)
            return
        }
        saveArticle(_ean.text, _menge.value, _articlegroupid, _menge.to)
    }

    // Books `p_quantity` pieces of the group `p_articlegroupid` (whose quantity
    // still to be booked is `p_available`) under the EAN `p_ean`: the open
    // delivery order's number, the stock entry, then the group's new quantity.
    function saveArticle(p_ean, p_quantity, p_articlegroupid, p_available) {
        _booking = true
        ServiceWarehouse.get_last_deliveryno(Dynamic.getToken(), function (reply, status) {
            if (!Request.isList(reply)) {
                _failed(qsTr("Nichts gebucht"), ArticleGroups.failureReason(
                            status, qsTr("Der offene Lieferschein konnte nicht gelesen werden")))
                return
            }
            // the latest delivery order may have been generated: it takes no stock
            var last = reply.length > 0 && Request.isRecord(reply[0]) ? reply[0] : null
            if (!last || last.created === true || last.deliveryorders_no === undefined) {
                _booking = false
                _notify(qsTr("Kein offener Lieferschein"),
                        qsTr("Legen Sie zuerst einen neuen Lieferschein an; nichts wurde gebucht"),
                        NotificationState.WARNING)
                return
            }
            ServiceWarehouse.add_articleinventory(p_ean, p_quantity, p_articlegroupid, last.deliveryorders_no,
                                                  Dynamic.getToken(), function (entry, status) {
                if (!Request.isRecord(entry)) {
                    if (Request.isSuccess(status)) {
                        // stored, but the reply could not be read: the entry's id is unknown
                        updateArticlegroupQuantity(p_articlegroupid, p_available - p_quantity, { "eanno": p_ean },
                                                   p_available)
                    } else if (!status) {
                        // the request may have reached the backend: booking again could book twice
                        _failed(qsTr("Buchung unklar"),
                                qsTr("Auf „Speichern“ kam keine vollständige Antwort: ob der Artikelbestand gebucht wurde, "
                                     + "ist unklar. Sehen Sie in der Artikelbestand Übersicht nach, bevor Sie noch einmal buchen."))
                    } else {
                        _failed(qsTr("Nichts gebucht"), ArticleGroups.failureReason(
                                    status, qsTr("Der Artikelbestand konnte nicht gebucht werden")))
                    }
                    return
                }
                updateArticlegroupQuantity(p_articlegroupid, p_available - p_quantity, entry, p_available)
            })
        })
    }

    // Sets the group's quantity still to be booked to `p_decrease_quantity`
    // after the stock entry `p_entry` was made ({eanno} only, when its reply was
    // unreadable); takes the entry back when that fails. `p_available` is the group's quantity before the booking.
    function updateArticlegroupQuantity(p_id, p_decrease_quantity, p_entry, p_available) {
        ServiceWarehouse.update_articlegroup_quantity(p_id, p_decrease_quantity, Dynamic.getToken(), function (reply) {
            if (!Request.isFailure(reply)) {
                _booking = false
                clear_fields(true)
                _confirmation.open()
                return
            }
            _takeBack(p_id, p_entry, p_available)
        })
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

    // The group's quantity could not be lowered: the stock entry goes again.
    // The backend gives a deleted entry's pieces back to its group, pieces this
    // booking never took; so the group is then set back to the quantity it
    // had before (which is also right if the lowering did reach the backend).
    function _takeBack(groupId, entry, available) {
        if (entry.id === undefined) {
            _failed(qsTr("Buchung unvollständig"),
                    qsTr("Die Menge der Artikelgruppe wurde nicht gesenkt, und die Buchung der EAN \"%1\" ist gespeichert; "
                         + "entfernen Sie sie in der Übersicht").arg(entry.eanno))
            return
        }
        ServiceWarehouse.delete_item_articleinventory(entry.id, Dynamic.getToken(), function (deleted, status) {
            if (Request.isFailure(deleted)) {
                _failed(qsTr("Buchung unvollständig"),
                        ArticleGroups.failureReason(status, qsTr("Die Menge der Artikelgruppe wurde nicht gesenkt, und die Buchung der EAN \"%1\" "
                                                                 + "konnte nicht zurückgenommen werden; entfernen Sie sie in der Übersicht")
                                                            .arg(entry.eanno)))
                return
            }
            ServiceWarehouse.update_articlegroup_quantity(groupId, available, Dynamic.getToken(), function (reply, status) {
                if (Request.isFailure(reply)) {
                    _failed(qsTr("Nichts gebucht"),
                            ArticleGroups.failureReason(status, qsTr("Die Buchung wurde zurückgenommen; die Menge der Artikelgruppe "
                                                                     + "sollte %1 sein, konnte aber nicht gesetzt werden").arg(available)))
                    return
                }
                _failed(qsTr("Nichts gebucht"),
                        qsTr("Die Menge der Artikelgruppe konnte nicht gesenkt werden; die Buchung wurde zurückgenommen"))
            })
        })
    }

    // Ends a booking that failed; the form keeps what was typed.
    function _failed(title, text) {
        _booking = false
        _notify(title, text, NotificationState.ERROR)
    }

    function _notify(title, text, state) {
        _banner.settings = [title, text, state]
        _banner.run = true
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
    }

    property bool _booking: false
    // the article groups' rule, of which a booking's quantity follows the part on quantities
    property ArticleGroupCsv _rule: ArticleGroupCsv {}
    // the article name of the group chosen last
    property string _chosenName: ""

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    InFront {
        id: _inFront
        item: _view
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
                FieldCaption { text: qsTr("Typ"); font.italic: true; offset: _view.labelInputSpace }
            }
            TextField {
                id: _ean
                objectName: "ean"
                width: parent.width
                selectByMouse: true
                FieldCaption { text: qsTr("EAN"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _articleno
                objectName: "articleno"
                width: parent.width
                readOnly: true
                FieldCaption { text: qsTr("Artikelnummer"); font.italic: true; offset: _view.labelInputSpace }
            }
            TextField {
                id: _farbe
                objectName: "farbe"
                width: parent.width
                readOnly: true
                FieldCaption { text: qsTr("Farbe"); font.italic: true; offset: _view.labelInputSpace }
            }
            TextField {
                id: _size
                objectName: "size"
                width: parent.width
                readOnly: true
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
                FieldCaption { text: qsTr("Lagerplatz"); font.italic: true; offset: _view.labelInputSpace }
            }
            Button {
                objectName: "saveButton"
                width: parent.width
                text: qsTr("Speichern")
                highlighted: true
                enabled: !_view.booking
                onClicked: _view.saveProcess()
            }
        }
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: 10
        running: _view.booking
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
