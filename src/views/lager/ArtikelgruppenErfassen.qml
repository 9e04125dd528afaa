import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15
import QtQuick.Window 2.15
import ArticleGroupCsv 1.0

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_customer.js" as ServiceCustomer
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups
import "../../controls"

// Artikelgruppe erfassen: announces an article line of a customer. The
// category is the one whose name is the typed text; it is created on the way
// when there is none of that name. A group the import would refuse (no name, a
// quantity below 1) is refused here too, for the same reasons. What is typed
// is kept as a draft until the group is stored (see Draft).
Rectangle {
    id: _view

    // id of the customer chosen in "Name", as text; empty until one is chosen
    property string _customerid: ""
    // vertical offset of each caption above its input
    property real labelInputSpace: -18 * c_Scale
    // true while a save is outstanding; "Speichern" waits meanwhile
    readonly property bool saving: _saving
    // the popup that confirms a save
    readonly property alias confirmation: _confirmation
    // the view's own message bar
    readonly property alias banner: _banner
    // what is typed, kept until the group is stored
    readonly property alias draft: _draft

    // "Speichern": checks the group by the import's rule, finds or creates the
    // category, then creates the group. `p_quantity` is a number or the text typed.
    function saveArticleGroup(p_articlename, p_articleno, p_farbe, p_size, p_typ, p_quantity, p_lager,
                              p_category, p_customer_id) {
        if (_saving)
            return
        var problems = _rule.groupProblems(p_articlename, String(p_quantity))
        if (problems.length > 0) {
            _failed(problems.join("; "))
            return
        }
        p_quantity = Number(p_quantity)
        _saving = true
        _category.searchListModel.clear()
        ArticleGroups.resolveCategory(p_category, Dynamic.getToken(), function (categoryId, reason) {
            if (categoryId === undefined) {
                _failed(reason)
                return
            }
            doSave(p_articlename, p_articleno, p_farbe, p_size, p_typ, p_quantity, p_lager,
                   categoryId === null ? undefined : categoryId, p_customer_id)
        })
    }

    // Creates the group with the category's id (undefined: none).
    function doSave(p_articlename, p_articleno, p_farbe, p_size, p_typ, p_quantity, p_lager, _categoryid,
                    p_customer_id) {
        _saving = true
        ServiceWarehouse.add_articlegroup(p_articlename, p_articleno, p_farbe, p_size, p_typ, p_quantity, p_lager,
                                          _categoryid, p_customer_id, Dynamic.getToken(), function (group, status) {
            // a 2xx is a stored group, also when its reply cannot be read
            if (!Request.isRecord(group) && !Request.isSuccess(status)) {
                if (!status)
                    // the request may have reached the backend: saving again could store it twice
                    _failed(qsTr("Auf „Speichern“ kam keine vollständige Antwort: ob die Artikelgruppe angelegt wurde, "
                                 + "ist unklar. Sehen Sie in der Artikelgruppe Übersicht nach, bevor Sie noch einmal speichern."),
                            qsTr("Artikelgruppe unklar"))
                else
                    _failed(ArticleGroups.failureReason(status, qsTr("Die Artikelgruppe konnte nicht angelegt werden")))
                return
            }
            _saving = false
            clear_fields(true)
            _draft.remove()
            _confirmation.open()
        })
    }

    // Empties the form; `onsave` empties "Name" and "Kategorie" as well.
    function clear_fields(onsave) {
        if (onsave === true) {
            _customer.controlText = ""
            _category.controlText = ""
        }
        _customerid = ""
        _articleno.text = ""
        _articlename.text = ""
        _typ.text = ""
        _farbe.text = ""
        _size.text = ""
        _lager.text = ""
        _menge.value = 0
    }

    // ends a save that failed; `title` defaults to "Artikelgruppe nicht gespeichert"
    function _failed(text, title) {
        _saving = false
        _banner.settings = [title || qsTr("Artikelgruppe nicht gespeichert"), text, NotificationState.ERROR]
        _banner.run = true
    }

    function _save() {
        // a quantity typed but not yet confirmed counts
        saveArticleGroup(_articlename.text, _articleno.text, _farbe.text, _size.text, _typ.text,
                         ArticleGroups.typedQuantity(_menge), _lager.text, _category.controlText, _customerid)
    }

    // Fills a suggestions field from a search reply; `keyOf(record)` is the
    // text that counts as an exact hit.
    function _fill(field, reply, keyOf) {
        field.searchListModel.clear()
        if (!Request.isList(reply)) {
            field.searchfield.visible = false
            return
        }
        for (var i = 0; i < reply.length; ++i)
            field.searchListModel.append(ArticleGroups.listRow(reply[i]))
        if (reply.length === 1 && keyOf(reply[0]) === field.controlText)
            field.searchfield.visible = false
    }

    // What the user typed, for a draft: the texts by field name, the chosen
    // customer's id and the quantity as typed.
    function _draftFields() {
        return {
            "customer": _customer.controlText, "customer_id": _customerid, "articleno": _articleno.text,
            "articlename": _articlename.text, "typ": _typ.text, "farbe": _farbe.text, "size": _size.text,
            "lager": _lager.text, "category": _category.controlText, "quantity": _menge.contentItem.text
        }
    }

    function _applyDraft(fields) {
        var text = function (value) { return value === undefined || value === null ? "" : String(value) }
        _customer.controlText = text(fields.customer)
        _customer.searchfield.visible = false
        _customerid = text(fields.customer_id)
        _category.controlText = text(fields.category)
        _category.searchfield.visible = false
        _articleno.text = text(fields.articleno)
        _articlename.text = text(fields.articlename)
        _typ.text = text(fields.typ)
        _farbe.text = text(fields.farbe)
        _size.text = text(fields.size)
        _lager.text = text(fields.lager)
        var quantity = parseInt(text(fields.quantity), 10)
        _menge.value = isNaN(quantity) ? 0 : quantity
    }

    property bool _saving: false
    // the import's rule of what makes an article group
    property ArticleGroupCsv _rule: ArticleGroupCsv {}

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    // the field the keyboard focus moves to comes into sight
    Connections {
        target: _view.Window.window
        function onActiveFocusItemChanged() {
            if (_view.Window.activeFocusItem)
                ArticleGroups.keepInView(_formArea, _view.Window.activeFocusItem, 30 * c_Scale)
        }
    }

    // on a small screen the form scrolls
    Flickable {
        id: _formArea

        objectName: "formArea"
        anchors.fill: parent
        contentHeight: _form.y + _form.height + 50 * c_Scale
        clip: true

        GridLayout {
            id: _form

            x: 60 * c_Scale
            y: 70 * c_Scale
            width: Math.min(800 * c_Scale, _formArea.width - 120 * c_Scale)
            columns: 2
            columnSpacing: 30 * c_Scale
            rowSpacing: 38 * c_Scale

            SuggestionsField {
                id: _customer

                objectName: "customer"
                Layout.columnSpan: 2
                Layout.fillWidth: true
                Layout.preferredHeight: 53 * c_Scale
                // above the inputs below, which its box overlaps
                z: 101
                delegate_name: "customer_fullname"
                function makeRequest(text) {
                    ServiceCustomer.get_search_customer_fullname(text, Dynamic.getToken(), function (reply) {
                        _view._fill(_customer, reply, function (c) { return c.surname + " " + c.lastname })
                    })
                }
                onItemclicked: _view._customerid = String(searchListModel.get(index).id)
                // a name that is no longer the chosen customer's is no customer
                onItem_not_correct: _view._customerid = ""

                FieldCaption { text: qsTr("Name"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _articleno
                objectName: "articleno"
                Layout.columnSpan: 2
                Layout.fillWidth: true
                selectByMouse: true
                onActiveFocusChanged: if (activeFocus) selectAll()
                FieldCaption { text: qsTr("Artikelnummer"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _articlename
                objectName: "articlename"
                Layout.columnSpan: 2
                Layout.fillWidth: true
                selectByMouse: true
                focus: true
                onActiveFocusChanged: if (activeFocus) selectAll()
                FieldCaption { text: qsTr("Artikelname"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _typ
                objectName: "typ"
                Layout.columnSpan: 2
                Layout.fillWidth: true
                selectByMouse: true
                FieldCaption { text: qsTr("Typ"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _farbe
                objectName: "farbe"
                Layout.fillWidth: true
                selectByMouse: true
                onActiveFocusChanged: if (activeFocus) selectAll()
                FieldCaption { text: qsTr("Farbe"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _size
                objectName: "size"
                Layout.fillWidth: true
                selectByMouse: true
                FieldCaption { text: qsTr("Größe"); offset: _view.labelInputSpace }
            }
            TextField {
                id: _lager
                objectName: "lager"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                selectByMouse: true
                onActiveFocusChanged: if (activeFocus) selectAll()
                FieldCaption { text: qsTr("Lagerplatz"); offset: _view.labelInputSpace }
            }
            SuggestionsField {
                id: _category

                objectName: "category"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                Layout.preferredHeight: 53 * c_Scale
                z: 100
                delegate_name: "category"
                function makeRequest(text) {
                    ServiceWarehouse.get_search_articlegroups_category(text, Dynamic.getToken(), function (reply) {
                        _view._fill(_category, reply, function (c) { return c.name })
                    })
                }

                FieldCaption { text: qsTr("Kategorie"); offset: _view.labelInputSpace }
            }
            SpinBox {
                id: _menge
                objectName: "menge"
                Layout.columnSpan: 2
                Layout.fillWidth: true
                editable: true
                from: 0
                to: 99999
                FieldCaption { text: qsTr("Menge"); offset: _view.labelInputSpace }
            }
            Button {
                id: _saveButton
                objectName: "saveButton"
                NoShadowLayer { target: _saveButton.background }
                Layout.columnSpan: 2
                Layout.fillWidth: true
                text: qsTr("Speichern")
                highlighted: true
                enabled: !_view.saving
                onClicked: _view._save()
            }
        }
    }

    Draft {
        id: _draft

        owner: Dynamic.session() ? Dynamic.session().userName : ""
        name: "new-article-group"
        banner: _banner
        capture: _view._draftFields
        apply: _view._applyDraft
        reset: function () { _view.clear_fields(true) }
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: 10
        running: _view.saving
    }

    SavedPopup {
        id: _confirmation
        objectName: "confirmation"
        // ready for the next group
        onClosed: _articlename.forceActiveFocus()
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
