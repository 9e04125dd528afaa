import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../static/colors.js" as Colors
import "../../static"
import "../api/request.js" as Request
import "../api/service_customer.js" as ServiceCustomer

// The modal "Kunde auswählen" popup: loads every customer when it opens and
// hands back the one the user confirms. Pages are fetched a few at a time and
// their rows appended a page at a time, always in page order; a row keeps only
// its text and the customer's id. Typing into the filter field narrows the list
// (case-insensitive, umlauts included, as the backend's search) while it fills;
// the placeholder stays the first row. While pages are still coming, a typed
// filter also asks the backend's full-name search, so that a customer whose
// page has not arrived yet shows at once: its hits join the rows (never twice),
// and once every page is in, the list is the filtered pages alone, in page
// order. Return confirms, as "OK" does (the
// highlighted button), unless "Abbrechen" has the keyboard focus; in the filter
// field it first takes the only customer left. Escape closes without a choice.
Popup {
    id: _picker

    // must set: the session (token) the customers are asked for with
    property var session: null
    // the rows of the drop-down: the placeholder first, then one per customer
    // that passes the filter ({ name, id })
    readonly property alias customers: _customers
    // true while customer pages are being loaded
    readonly property bool busy: _loading
    // the drop-down's current row (0: the placeholder)
    property alias currentIndex: _combo.currentIndex
    // the text the rows are narrowed to ("" for all)
    property alias filterText: _filter.text
    // how many customers have arrived, filtered or not
    readonly property int loadedCount: _rowCount
    // how many page requests may be outstanding at once: an opening starts
    // with four and allows one more for every page that arrived, so a short
    // list is not asked far past its end while a long one fills without
    // waiting on each reply in turn
    property int pagesInFlight: 16
    // how long (ms) the filter must rest before the backend is asked while pages are still coming
    property int searchDelay: 80

    // the user confirmed this customer ({ id, name }) with "OK"
    signal customerChosen(var customer)
    // the customer list could not be loaded (completely)
    signal loadFailed()

    // the placeholder row's text
    readonly property string placeholderText: qsTr("- Kunde auswählen -")

    // loads all customer pages anew; the rows appear in page order
    function load() {
        var serial = ++_loadSerial
        _rows = []
        _rowCount = 0
        _arrived = ({})
        _nextToAppend = 1
        _nextToRequest = 1
        _endPage = -1
        _outstanding = 0
        _arrivedIds = ({})
        ++_searchSerial
        _searchTimer.stop()
        _dropFound()
        _customers.clear()
        _customers.append({ "name": placeholderText, "id": -1 })
        _combo.currentIndex = 0
        _loading = true
        _requestMore(serial)
    }

    // "OK": hands back the chosen customer and closes; with the placeholder chosen nothing happens
    function accept() {
        var row = _combo.currentIndex > 0 ? _customers.get(_combo.currentIndex) : null
        if (!row || row.id < 0)
            return
        customerChosen({ "id": row.id, "name": row.name })
        close()
    }

    // Folds case as the backend's search does: A-Z, the Latin-1 capitals
    // (Ä, Ö, Ü among them) and the capital sharp s.
    function foldCase(text) {
        return String(text).replace(/[A-Z\u00C0-\u00D6\u00D8-\u00DE\u1E9E]/g, function (c) {
            return c === "\u1E9E" ? "\u00DF" : String.fromCharCode(c.charCodeAt(0) + 32)
        })
    }

    property bool _loading: false
    property int _loadSerial: 0
    // every customer arrived so far, in page order: { name, id, key (folded name) }
    property var _rows: []
    property int _rowCount: 0
    // pages that came before an earlier one, by page number
    property var _arrived: ({})
    property int _nextToAppend: 1
    property int _nextToRequest: 1
    // the first page past the end (-1: not known yet)
    property int _endPage: -1
    property int _outstanding: 0
    // ids of the customers in _rows
    property var _arrivedIds: ({})
    // ids of the rows shown after the placeholder
    property var _shownIds: ({})
    // how many shown rows came from the full-name search, ahead of their page
    property int _foundShown: 0
    // counts filter changes and openings: a search reply for an older one is stale
    property int _searchSerial: 0

    // Sends page requests until `pagesInFlight` are outstanding or the end is known.
    function _requestMore(serial) {
        var limit = Math.max(1, Math.min(pagesInFlight, 4 + _nextToAppend - 1))
        while (_loading && _outstanding < limit
               && (_endPage < 0 || _nextToRequest < _endPage))
            _loadPage(_nextToRequest++, serial)
    }

    // Pages count from 1; the end of the pages shows after the last one (a
    // first page that does not come is a failure).
    function _loadPage(page, serial) {
        ++_outstanding
        ServiceCustomer.get_customers(page, session ? session.token : "", function (reply) {
            if (serial !== _loadSerial)
                return // the picker was opened again meanwhile
            --_outstanding
            if (!_loading)
                return // failed already
            var endOfList = Request.isEndOfPages(reply) && page > 1
            if (!endOfList && !Request.isList(reply)) {
                _loading = false
                loadFailed()
                return
            }
            if (endOfList || reply.length === 0) {
                if (_endPage < 0 || page < _endPage)
                    _endPage = page
            } else {
                var rows = []
                for (var i = 0; i < reply.length; ++i) {
                    var name = reply[i].surname + " " + reply[i].lastname
                    rows.push({ "name": name, "id": reply[i].id, "key": foldCase(name) })
                }
                _arrived[page] = rows
            }
            _appendArrived()
            if (_endPage > 0 && _nextToAppend >= _endPage)
                _finishLoading()
            else
                _requestMore(serial)
        })
    }

    // Appends the pages that are next in order, one model insertion per page.
    function _appendArrived() {
        while (_arrived[_nextToAppend] !== undefined) {
            var rows = _arrived[_nextToAppend]
            delete _arrived[_nextToAppend]
            ++_nextToAppend
            for (var i = 0; i < rows.length; ++i)
                _arrivedIds[rows[i].id] = true
            Array.prototype.push.apply(_rows, rows)
            _rowCount = _rows.length
            _appendShown(rows)
        }
    }

    // Every page is in: rows the search showed ahead of their page go back to
    // page order (the chosen row stays chosen).
    function _finishLoading() {
        _loading = false
        ++_searchSerial
        _searchTimer.stop()
        if (_foundShown > 0)
            _showFiltered(false)
    }

    // The filter changed: shows the arrived rows that pass it, and asks the
    // backend for the rest while pages are still coming.
    function _applyFilter() {
        ++_searchSerial
        _searchTimer.stop()
        _showFiltered(true)
        if (_loading && foldCase(_filter.text) !== "")
            _searchTimer.restart()
    }

    // Shows the arrived rows that pass the filter, after the placeholder; the
    // placeholder is chosen again with `reset`, else the chosen customer stays.
    function _showFiltered(reset) {
        var chosenId = !reset && _combo.currentIndex > 0 ? _customers.get(_combo.currentIndex).id : -1
        _combo.currentIndex = 0
        _dropFound()
        if (_customers.count > 1)
            _customers.remove(1, _customers.count - 1)
        _appendShown(_rows)
        var chosen = 0
        if (chosenId >= 0) {
            for (var i = 1; i < _customers.count && chosen === 0; ++i) {
                if (_customers.get(i).id === chosenId)
                    chosen = i
            }
        }
        _combo.currentIndex = chosen
    }

    function _dropFound() {
        _shownIds = ({})
        _foundShown = 0
    }

    // Appends those of `rows` that pass the filter and are not shown yet, in
    // one model insertion.
    function _appendShown(rows) {
        var needle = foldCase(_filter.text)
        var shown = []
        for (var i = 0; i < rows.length; ++i) {
            var id = rows[i].id
            if ((needle === "" || rows[i].key.indexOf(needle) >= 0) && !_shownIds[id]) {
                _shownIds[id] = true
                shown.push({ "name": rows[i].name, "id": id })
            }
        }
        if (shown.length > 0)
            _customers.append(shown)
        return shown.length
    }

    // Asks the full-name search for the filter; only the reply to the newest
    // filter of this opening counts, and only while pages are still coming.
    function _search() {
        var serial = _searchSerial
        var text = _filter.text
        ServiceCustomer.get_search_customer_fullname(text, session ? session.token : "", function (reply) {
            if (serial !== _searchSerial || !_loading || !Request.isList(reply))
                return
            var needle = foldCase(text)
            var rows = []
            for (var i = 0; i < reply.length; ++i) {
                var id = reply[i].id
                if (_arrivedIds[id])
                    continue // its page shows it (or will, filtered as it is)
                var name = reply[i].surname + " " + reply[i].lastname
                rows.push({ "name": name, "id": id, "key": foldCase(name) })
            }
            _foundShown += _appendShown(rows)
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

    onAboutToShow: {
        _filter.text = ""
        load()
        _filter.forceActiveFocus()
    }

    background: Rectangle {
        color: Colors.c_light_purple
    }

    ListModel {
        id: _customers
    }

    Timer {
        id: _searchTimer
        interval: _picker.searchDelay
        onTriggered: _picker._search()
    }

    contentItem: FocusScope {
        focus: true
        Keys.onReturnPressed: _buttons.pressReturn()
        Keys.onEnterPressed: _buttons.pressReturn()

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

            BusySpinner {
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

            TextField {
                id: _filter
                objectName: "filterField"
                width: parent.width
                placeholderText: qsTr("Kunden suchen")
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 15 * c_Scale
                selectByMouse: true
                onTextChanged: _picker._applyFilter()
                // Return takes the only customer left (and then confirms it, below)
                onAccepted: {
                    if (_customers.count === 2)
                        _combo.currentIndex = 1
                }
            }

            ComboBox {
                id: _combo
                objectName: "customerBox"
                NoShadowLayer { target: _combo.background }
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

        DialogButtons {
            id: _buttons

            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 30 * c_Scale
            acceptAccent: Material.BlueGrey
            onDeclined: _picker.close()
            onAccepted: _picker.accept()
        }
    }
}
