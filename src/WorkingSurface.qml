import QtQuick 2.15

// The working surface behind the login: the navigation on the left, the top
// bar along the top and the view container below it, on one navigation state,
// one notifier and one warehouse. The root panel shows it while the session
// is logged in; tests create it on its own. It hands the session, the
// notifier and the warehouse to the navigation and the container, which hand
// them on to the views.
Item {
    id: _surface

    // the login state (loggedIn, token); each login re-selects the sub-view
    // chosen last, which refreshes it (null: no session, as in some tests)
    property var session: null
    // the one way to the window's banner, for the navigation and every view that
    // asks for it; its own unless the root panel hands it the window's
    property Notifier notifier: _ownNotifier
    // the current area and the sub-view chosen last
    readonly property alias navigationState: _navigationState
    // the left-hand column
    readonly property alias navigation: _navigation
    // the top bar
    readonly property alias topBar: _snarea
    // the views
    readonly property alias container: _container
    // the open delivery order and the warehouse's workflows
    readonly property alias warehouse: _warehouse

    // the user signed out in the profile
    signal signOut()

    // puts the keyboard focus into the search field (the text selected)
    function activateSearchBar() {
        _snarea.activateSearchBar()
    }

    Connections {
        target: _surface.session
        // the view in front refreshes itself after every login
        function onSucceeded() {
            _navigationState.chooseSubView(_navigationState.subView)
        }
    }

    NavigationState {
        id: _navigationState
    }

    Notifier {
        id: _ownNotifier
    }

    Warehouse {
        id: _warehouse
        session: _surface.session
    }

    Navigation {
        id: _navigation

        objectName: "navigation"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        navigationState: _navigationState
        session: _surface.session
        notifier: _surface.notifier
        warehouse: _warehouse
    }

    SearchNotificationArea {
        id: _snarea

        objectName: "snarea"
        anchors.left: _navigation.right
        anchors.right: parent.right
        anchors.top: parent.top
        // above the container, so its shadow falls on the views
        z: 1
        onSearchArea: _container.searchKeyword(keyword, livesearch)
        onSignOut: _surface.signOut()
    }

    ViewContainer {
        id: _container

        objectName: "container"
        x: _navigation.width
        y: _snarea.height
        width: parent.width - _navigation.width
        height: parent.height - _snarea.height
        navigationState: _navigationState
        session: _surface.session
        notifier: _surface.notifier
        warehouse: _warehouse
    }
}
