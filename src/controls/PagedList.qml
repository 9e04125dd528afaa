import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../static/colors.js" as Colors
import "../../static"
import "../../static/NotificationState.js" as NotificationState
import "../api/request.js" as Request

// A list of backend records loaded page by page, with the top bar's search.
// It loads page 1 while its session is logged in, the next page each time the
// user scrolls exactly to the end, and stops when the backend has no further
// page. The caller gives the session, the page and search functions, the card
// and the text for an empty list; the list owns the model, the paging state,
// the busy indicator, the current-row bar and the keyboard and wheel handling.
//
// Only the newest request counts: a reload, a search or a logout makes every
// reply of an earlier one void, and at most one page request is outstanding.
// The list shows what the search field says: while a search stands, a reload
// shows its hits again; an empty search (or the field's placeholder) ends it.
FocusScope {
    id: _paged

    // must set: the session (loggedIn, token); the list loads only while it is logged in
    property var session: null
    // must set: function(page, token, cb) of a service library; cb gets one page (a list) or -1 past the last page
    property var pageFunction: null
    // must set: function(keyword, token, cb) of a service library; cb gets the hits (a list) or -1 without hits
    property var searchFunction: null
    // must set: the card of one record; it reads the record's roles and `index`
    property alias delegate: _list.delegate
    // must set: the centred text of an empty list
    property string emptyText: ""
    // should set: the window banner's notifier, told when a page or a search fails
    property var notifier: null
    // should set: [title, text] of the banner when a page or a search fails
    property var failureMessage: [qsTr("Liste nicht geladen"), qsTr("Die Liste konnte nicht geladen werden")]
    // may set: the caller's own requests are outstanding (shows the busy indicator too)
    property bool busy: false
    // may set: false: the list loads first on refresh(), not at the first login
    property bool loadOnStart: true
    // may set before the first page: function(record) giving the row kept for one record, an
    // object of plain values whose keys and value types are the same in every row (what the card
    // shows and its actions need); null keeps each record as received
    property var rowOf: null

    // the records shown, one element per record: its row (`rowOf`), else as received (nested objects stay objects)
    readonly property alias model: _model
    // the list view itself
    readonly property alias listView: _list
    // the current row (-1: none)
    property alias currentIndex: _list.currentIndex
    // the card of the current row, or null
    readonly property alias currentItem: _list.currentItem
    // the last page asked for; 0: the backend has no further page and paging stops
    property int current_page: 1
    // true while the list shows search hits; paging waits until the search ends
    property bool isSearching: false
    // the keyword of the search shown while `isSearching`
    readonly property string keyword: _keyword
    // true while a page request is outstanding
    readonly property bool loading: _pageRequest !== null
    // true while a reload waits: for the session's login, or for the end of the current event
    readonly property bool reloadPending: _reloadPending
    // true while the empty text is shown
    readonly property bool emptyTextShown: _emptyTextShown
    // the placeholder of the top bar's search field: a confirmed search for it is no search
    readonly property string searchPlaceholder: "Search"

    // page `page` arrived and is shown
    signal pageLoaded(int page)
    // the hits of a search for `keyword` are shown
    signal searched(var keyword)
    // a page or search request failed (`status` 0: no connection); the banner is told
    signal loadFailed(int status)
    // Return or Enter on the current row
    signal activated(int index)

    // Reloads what the list shows (the hits of the search that stands, else
    // page 1) after the current event, or at the login; takes the keyboard focus.
    function refresh() {
        // what was asked for before no longer counts, also if it answers first
        _supersede()
        _reloadPending = true
        if (_loggedIn)
            Qt.callLater(_reload)
        _list.forceActiveFocus()
    }

    // A confirmed search; an empty keyword or the placeholder "Search" ends
    // searching and the list pages again from page 1.
    function modelRefresh(keyword) {
        if (keyword === "" || keyword === searchPlaceholder) {
            isSearching = false
            _keyword = ""
            _fromPageOne()
        } else {
            modelLiveRefresh(keyword)
        }
        _list.forceActiveFocus()
    }

    // A search while the user types; paging waits.
    function modelLiveRefresh(keyword) {
        isSearching = true
        _keyword = keyword
        search(keyword)
    }

    // Replaces the list with the hits for `keyword` (none: an empty list).
    // The empty text and the page counter stay as they are.
    function search(keyword) {
        var request = _supersede()
        _searchRequest = request
        var life = _life
        searchFunction(keyword, _token(), function (reply, status) {
            if (!life.alive || request !== _generation)
                return
            _searchRequest = 0
            if (Request.isList(reply)) {
                _model.clear()
                _model.append(_rows(reply))
            } else if (Request.isNoHits(reply) && status === 204) {
                _model.clear()
            } else {
                _fail(status)
                return
            }
            searched(keyword)
        })
    }

    // Loads page `page` (1 empties the list first). A reload supersedes an
    // outstanding page; further pages wait until the outstanding one is in.
    function loadPage(page) {
        if (page === 1)
            _supersede()
        else if (_pageRequest !== null)
            return
        var request = { generation: _generation, page: page }
        _pageRequest = request
        var life = _life
        pageFunction(page, _token(), function (reply, status) {
            if (!life.alive || _pageRequest !== request)
                return
            _pageRequest = null
            if (Request.isEndOfPages(reply) && status === 400) {
                current_page = 0
                return
            }
            if (!Request.isList(reply)) {
                // a later scroll to the end tries the same page again
                current_page = page - 1
                _fail(status)
                return
            }
            if (page === 1)
                _model.clear()
            _model.append(_rows(reply))
            _emptyTextShown = _model.count === 0
            pageLoaded(page)
        })
    }

    // Makes row `index` current, opens its card's actions and takes the keyboard focus.
    function select(index) {
        _list.currentIndex = index
        if (_list.currentItem && _list.currentItem.entersItem)
            _list.currentItem.entersItem()
        _list.forceActiveFocus()
    }

    // the element of row `index` (its roles as properties), or null
    function recordAt(index) {
        return index >= 0 && index < _model.count ? _model.get(index) : null
    }

    // the number of the request whose replies still count
    property int _generation: 0
    // {generation, page} of the outstanding page request, or null
    property var _pageRequest: null
    // the generation of the outstanding search, 0: none
    property int _searchRequest: 0
    property bool _emptyTextShown: false
    property bool _reloadPending: loadOnStart
    readonly property bool _loggedIn: !!session && session.loggedIn === true
    property string _keyword: ""
    // replies that arrive after the list is gone find it no longer alive
    readonly property var _life: ({ alive: true })

    // Voids the replies of every earlier reload, search and page request.
    function _supersede() {
        _pageRequest = null
        _searchRequest = 0
        return ++_generation
    }

    // What the model keeps of the records of one reply.
    function _rows(records) {
        return rowOf ? records.map(function (record) { return rowOf(record) }) : records
    }

    function _token() {
        return session ? session.token : ""
    }

    function _fail(status) {
        loadFailed(status)
        if (!notifier)
            return
        if (status === 0)
            notifier.notifyConnectionProblem()
        else
            notifier.notify([failureMessage[0], failureMessage[1], NotificationState.ERROR])
    }

    // The page after the last one asked for, unless one is still on its way.
    function _nextPage() {
        if (_pageRequest !== null)
            return
        current_page += 1
        loadPage(current_page)
    }

    // The end counts only when the list is longer than the view.
    function _atEnd() {
        var end = _list.originY + _list.contentHeight - _list.height
        return end > _list.originY && Math.abs(_list.contentY - end) < 0.5
    }

    // the reload asked for, once the session is logged in
    function _reload() {
        if (!_reloadPending || !_loggedIn)
            return
        _reloadPending = false
        if (isSearching) {
            search(_keyword)
            return
        }
        console.log((objectName || "PagedList") + ": logged in, loading page 1")
        _fromPageOne()
    }

    function _fromPageOne() {
        _list.positionViewAtBeginning()
        current_page = 1
        loadPage(1)
    }

    // A logout voids what is on its way; what it would have shown loads at the next login.
    on_LoggedInChanged: {
        if (_loggedIn) {
            Qt.callLater(_reload)
        } else if (_pageRequest !== null || _searchRequest !== 0) {
            _supersede()
            _reloadPending = true
        }
    }
    Component.onCompleted: {
        if (_loggedIn)
            Qt.callLater(_reload)
    }
    Component.onDestruction: _life.alive = false

    // Without rows, roles follow each record: the backend sends a field as
    // text in one record and as a number or null in the next (prices as
    // typed), and a model with fixed roles would drop such values. Rows have
    // fixed roles and value types, which keep a record in a fraction of the
    // memory that dynamic roles need.
    ListModel {
        id: _model

        dynamicRoles: _paged.rowOf === null
    }

    CardList {
        id: _list

        objectName: "list"
        anchors.fill: parent
        model: _model

        onContentYChanged: {
            if (!_paged.isSearching && _paged.current_page !== 0 && _paged._atEnd())
                _paged._nextPage()
        }

        Keys.onReturnPressed: _paged.activated(currentIndex)
        Keys.onEnterPressed: _paged.activated(currentIndex)
        // the Menu key or Space: the current card's actions, the keyboard on the first
        Keys.onPressed: {
            if ((event.key === Qt.Key_Menu || event.key === Qt.Key_Space) && currentItem && currentItem.openActions) {
                currentItem.openActions()
                event.accepted = true
            }
        }
    }

    Text {
        objectName: "emptyText"
        anchors.centerIn: parent
        visible: _paged._emptyTextShown
        text: _paged.emptyText
        textFormat: Text.PlainText
        font.family: CustomFonts.names.nunitoSans
        font.pixelSize: 50 * c_Scale
        color: Colors.c_nav_font
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: 10
        running: _paged.loading || _paged.busy
    }
}
