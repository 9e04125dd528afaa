import QtQuick 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_warehouse.js" as ServiceWarehouse
import "./articlegroups.js" as ArticleGroups
import "../../controls"
import "../../delegates"

// Artikelgruppe Übersicht: every article group, each one deletable (the
// backend keeps a group that has stock booked against it).
Rectangle {
    id: _view

    // the login state (loggedIn, token): the list loads while logged in
    property var session: null
    // the window banner's notifier, for a list that does not load
    property var notifier: null
    // the article groups, as the backend lists them
    readonly property alias listModel: _list.model
    // the view's own message bar
    readonly property alias banner: _banner
    // true while a request of this view is outstanding
    readonly property bool busy: _pending > 0 || _list.loading
    // whether the list has loaded since the view was created
    readonly property bool loaded: _loaded

    // (re)loads the list (once logged in); the container emits it when
    // the page is chosen and after a login while it is the page chosen last,
    // so the list loads when it is first shown, not at start
    signal refresh()

    // Deletes the article group with this id, then reloads; once, whatever
    // the clicks while it is under way.
    function delete_item_articlegroup(articleinventory_id) {
        if (_deleting[articleinventory_id])
            return
        _deleting[articleinventory_id] = true
        ++_pending
        ServiceWarehouse.delete_item_articlegroup(articleinventory_id, Dynamic.getToken(), function (reply, status) {
            --_pending
            delete _deleting[articleinventory_id]
            if (Request.isFailure(reply)) {
                _error(qsTr("Artikelgruppe nicht gelöscht"), status === 406
                       ? qsTr("Auf die Artikelgruppe ist noch Bestand gebucht, oder es gibt sie nicht mehr")
                       : ArticleGroups.failureReason(status, qsTr("Die Artikelgruppe konnte nicht gelöscht werden")))
            } else {
                console.log("API:.....Articlegroup item gelöscht")
            }
            refresh()
        })
    }

    function _error(title, text) {
        _banner.settings = [title, text, NotificationState.ERROR]
        _banner.run = true
    }

    property int _pending: 0
    property bool _loaded: false
    // the ids of the groups being deleted
    property var _deleting: ({})

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    onRefresh: _list.refresh()

    PagedList {
        id: _list

        objectName: "groupList"
        // never below zero, also while the page is still being sized
        x: 20 * c_Scale
        y: 20 * c_Scale
        width: Math.max(0, parent.width - 2 * x)
        height: Math.max(0, parent.height - 2 * y)
        // the container refreshes the page whenever it comes into view
        loadOnStart: false
        // every group comes at once
        pageFunction: ArticleGroups.allAtOnce(ServiceWarehouse.get_all_articlegroup)
        emptyText: qsTr("- KEINE ARTIKELGRUPPE VORHANDEN -")
        session: _view.session
        notifier: _view.notifier
        failureMessage: [qsTr("Artikelgruppen nicht geladen"), qsTr("Die Artikelgruppen konnten nicht geladen werden")]
        busy: _view._pending > 0
        listView.spacing: 10 * c_Scale
        onPageLoaded: _view._loaded = true
        onLoadFailed: _view._loaded = true

        delegate: AguDelegate {
            fields: [model.articlename, model.typ, model.farbe, model.size, model.quantity, model.storage_location]
            itindex: index
            onDeleteClicked: _view.delete_item_articlegroup(model.id)
        }
    }

    NotificationBanner {
        id: _banner
        objectName: "banner"
        anchors.fill: parent
        z: 20
    }
}
