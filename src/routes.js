.pragma library

// The areas of the working surface and their pages: the one place that says
// which views exist, where they stand and how the shell treats them. The
// navigation strip, the submenu and the view container are built from it.
// Adding or replacing a view is one row here (and the view's own document).
//
// What a view document must offer. The container creates every page once, at
// start, and keeps it for the whole run (logging out and in keeps contents).
// - `refresh: true`: the view declares `signal refresh(var keyword)` when it
//   also takes searches (the container sends "", all entries), otherwise
//   `signal refresh()`. The container emits it each time the page is chosen in
//   the submenu, and after each login while the page is the one chosen last.
// - `search: true`: the view declares `signal modelRefresh(var keyword)` (a
//   confirmed search; the keyword "Search" means no search) and
//   `signal modelLiveRefresh(var keyword)` (while the user types); the top
//   bar's keywords reach the page in front through them.
// - The session: a view that loads on its own, or hands it to a PagedList,
//   declares `property var session`; the container fills it with the working
//   surface's session, whose `loggedIn` says when to load and whose `token`
//   goes with each request. Other documents take the token of each request
//   from `Dynamic.getToken()` (import "../../../dynamic/variables.js" as
//   Dynamic), which asks the session. Nothing waits on a timer for a login.
// - The warehouse: a view that shows the open delivery order or runs a
//   warehouse workflow declares `property var warehouse`; the container fills
//   it with the working surface's one Warehouse, which the submenu follows too.
// - A banner over the whole window: the view declares `property var notifier`;
//   the container fills it with the working surface's notifier, and the view
//   calls `notifier.notify([title, text, NotificationState.ERROR])` (a display
//   time in ms may follow as second argument), or
//   `notifier.notifyConnectionProblem()`. Messages that belong to a view stay
//   on the view's own NotificationBanner.
// A view fills its page (the container sizes it) and sets no objectName: the
// container names it after its document ("Erfasst" for .../Erfasst.qml).

// Areas from the top of the strip down. Per area:
// - icon: Font Awesome code point of the strip item; button: its object name
// - header: the submenu's heading
// - action: the submenu's highlighted button, {text, subView}; null for none.
//   `deliveryOrder: true` makes it depend on the open delivery order (booking
//   when one is open, a new delivery order through the customer picker when not).
// - entries: the submenu's entries, {icon, label, subView}
// - pages: the sub-views, {document (relative to src/), refresh, search}
// - swipe: whether the user may swipe between the area's pages
var areas = [
    {
        icon: "\uf570",
        button: "bt_Auftraegemanager",
        header: qsTr("Aufträge"),
        action: { text: qsTr("Neuer Auftrag"), subView: 3 },
        entries: [
            { icon: "\uf044", label: qsTr("Erfasste Aufträge"), subView: 0 },
            { icon: "\uf1ec", label: qsTr("Abgerechnete Aufträge"), subView: 1 },
            { icon: "\uf570", label: qsTr("Rechnungen"), subView: 2 }
        ],
        pages: [
            { document: "views/auftraege/Erfasst.qml", refresh: true, search: true },
            { document: "views/auftraege/Abgerechnet.qml", refresh: true, search: true },
            { document: "views/auftraege/Rechnungen.qml" },
            { document: "views/auftraege/NeuerAuftrag.qml", refresh: true }
        ]
    },
    {
        icon: "\uf49e",
        button: "bt_Lagermanager",
        header: qsTr("Lager"),
        action: { text: qsTr("Artikelbestand buchen"), subView: 0, deliveryOrder: true },
        entries: [
            { icon: "\uf0ce", label: qsTr("Artikelbestand Übersicht"), subView: 1 },
            { icon: "\uf247", label: qsTr("Artikelgruppe Übersicht"), subView: 2 },
            { icon: "\uf044", label: qsTr("Artikelgruppe erfassen"), subView: 3 },
            { icon: "\uf6dd", label: qsTr("Artikelgruppe importieren"), subView: 4 }
        ],
        pages: [
            { document: "views/lager/ArtikelbestandBuchen.qml" },
            { document: "views/lager/ArtikelbestandUebersicht.qml", refresh: true },
            { document: "views/lager/ArtikelgruppenUebersicht.qml", refresh: true },
            { document: "views/lager/ArtikelgruppenErfassen.qml" },
            { document: "views/lager/ArtikelgruppenImport.qml" }
        ]
    },
    {
        icon: "\uf0c0",
        button: "bt_Customer",
        header: qsTr("Kunden"),
        action: { text: qsTr("NEUER KUNDE"), subView: 1 },
        entries: [
            { icon: "\uf500", label: qsTr("Kunden Übersicht"), subView: 0 }
        ],
        pages: [
            { document: "views/kunde/KundenUebersicht.qml", refresh: true, search: true },
            { document: "views/kunde/NeuerKunde.qml" }
        ]
    },
    {
        icon: "\uf007",
        button: "bt_Usermanager",
        header: qsTr("Usermanager"),
        action: { text: qsTr("NEUER USER"), subView: 0 },
        entries: [
            { icon: "\uf500", label: qsTr("User Übersicht"), subView: 1 }
        ],
        pages: [
            { document: "views/usermanager/Users.qml" }
        ]
    },
    {
        icon: "\uf013",
        button: "bt_Settingsmanager",
        header: qsTr("Einstellungen"),
        action: null,
        entries: [
            { icon: "\uf021", label: qsTr("Updates"), subView: 1 }
        ],
        pages: [
            { document: "views/einstellungen/Update.qml" }
        ],
        swipe: true
    }
]

// The page row of `area` and `subView`, or null where there is none (no area
// chosen yet, or an index beyond the area's pages).
function page(area, subView) {
    var row = area >= 0 && area < areas.length ? areas[area] : null
    return row && subView >= 0 && subView < row.pages.length ? row.pages[subView] : null
}

// A view's name: its document's file name without ".qml".
function viewName(page) {
    return page.document.replace(/^.*\//, "").replace(/\.qml$/, "")
}
