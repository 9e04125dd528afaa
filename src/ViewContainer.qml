import QtQuick 2.15
import QtQuick.Controls 2.15

import "./routes.js" as Routes
import "../static/colors.js" as Colors

// Holds every view of the route table at once: the areas one below the other,
// the pages of an area side by side. Shows the area and sub-view the
// navigation state names, tells views when to reload, hands the top bar's
// searches to the page in front when it takes them, and hands each view the
// session, the notifier and the warehouse when it declares them.
Item {
    id: _container

    // the current area and sub-view, shared with the navigation
    required property NavigationState navigationState
    // the login state (loggedIn, token), handed to every view that declares `session`
    property var session: null
    // the window banner's notifier, handed to every view that declares `notifier`
    property var notifier: null
    // the open delivery order and its workflows, handed to every view that declares `warehouse`
    property var warehouse: null
    // the current area (0 orders, 1 warehouse, 2 customers, 3 user manager, 4 settings); undefined until one is chosen
    readonly property var _curViewIndex: navigationState.area
    // the sub-view index chosen last, in whichever area
    readonly property int _curSubViewIndex: navigationState.subView

    // makes the area current; it shows the page it showed before, and nothing is reloaded
    function changeView(viewIndex) {
        navigationState.chooseArea(viewIndex)
    }

    // shows page `index` of the current area and reloads it when it is one that reloads
    function changeContainerIndex(index) {
        navigationState.chooseSubView(index)
    }

    // hands a search to the page in front, if the pair of indices names one that takes searches
    function searchKeyword(keyword, livesearch) {
        console.log("searchKeyword view " + _curViewIndex + " subview " + _curSubViewIndex)
        var page = Routes.page(_curViewIndex, _curSubViewIndex)
        if (!page || !page.search)
            return
        var view = viewAt(_curViewIndex, _curSubViewIndex)
        if (livesearch)
            view.modelLiveRefresh(keyword)
        else
            view.modelRefresh(keyword)
    }

    // the view in front
    function currentView() {
        var area = _areas.currentItem
        return area && area.currentItem ? area.currentItem.item : null
    }

    // the view of one area and sub-view, or null
    function viewAt(area, subView) {
        var pages = _areaAt(area)
        return pages && subView >= 0 && subView < pages.count ? pages.itemAt(subView).item : null
    }

    function _areaAt(index) {
        return index >= 0 && index < _areas.count ? _areas.itemAt(index) : null
    }

    // Brings the chosen sub-view of the current area to the front (an index
    // beyond the area's pages leaves its page in front) and refreshes it.
    function _show(subView) {
        var area = navigationState.area
        var pages = _areaAt(area)
        if (pages && subView >= 0 && subView < pages.count)
            pages.currentIndex = subView
        _focusInto(viewAt(area, subView))
        var page = Routes.page(area, subView)
        if (!page || !page.refresh)
            return
        var view = viewAt(area, subView)
        // lists that take searches reload with the empty keyword: all entries
        if (page.search)
            view.refresh("")
        else
            view.refresh()
    }

    // The keyboard goes to the first field of the view now shown; the view
    // itself takes it when it has none.
    function _focusInto(view) {
        if (!view || !_container.visible)
            return
        var first = view.nextItemInFocusChain(true)
        for (var item = first; item; item = item.parent) {
            if (item === view) {
                first.forceActiveFocus(Qt.TabFocusReason)
                return
            }
        }
        view.forceActiveFocus()
    }

    Connections {
        target: _container.navigationState
        function onSubViewChosen(subView) {
            _container._show(subView)
        }
    }

    // The frame clips the sliding pages to a card; its rounded corners are cut
    // by a ring in the window's background colour drawn over the card's edge
    // (below), so the pages render straight into the window, never into an
    // offscreen layer first.
    Item {
        id: _frame
        anchors.fill: parent
        anchors.margins: 20 * c_Scale

        SwipeView {
            id: _areas
            objectName: "areas"
            anchors.fill: parent
            orientation: Qt.Vertical
            interactive: false
            clip: true
            // no tab stop of its own (nor an area's): Tab landing on one would give the
            // keyboard back to the field last used in it, and the view's first fields
            // could never be reached by Tab again
            activeFocusOnTab: false
            currentIndex: _container._curViewIndex !== undefined ? _container._curViewIndex : 0

            // Built in the background, the areas and pages may be added in any
            // order, and each addition can move a swipe view's current page:
            // the shown area and each area's first page are set again as they come.
            Repeater {
                model: Routes.areas
                onItemAdded: _areas.setCurrentIndex(_container._curViewIndex !== undefined ? _container._curViewIndex : 0)

                SwipeView {
                    id: _area
                    // only the area in front takes the keyboard: Tab never lands beside it
                    enabled: SwipeView.isCurrentItem

                    objectName: "area_" + index
                    interactive: modelData.swipe === true
                    activeFocusOnTab: false

                    Repeater {
                        model: modelData.pages
                        onItemAdded: _area.setCurrentIndex(0)

                        Loader {
                            // only the page in front takes the keyboard: Tab never lands beside it
                            enabled: SwipeView.isCurrentItem
                            source: Qt.resolvedUrl(modelData.document)
                            onLoaded: {
                                item.objectName = Routes.viewName(modelData)
                                if ("session" in item)
                                    item.session = Qt.binding(function () { return _container.session })
                                if ("notifier" in item)
                                    item.notifier = Qt.binding(function () { return _container.notifier })
                                if ("warehouse" in item)
                                    item.warehouse = Qt.binding(function () { return _container.warehouse })
                            }
                        }
                    }
                }
            }
        }
    }

    // The ring's inner edge is the card's outline with corners of 10 × c_Scale;
    // its outer part lies on the margin, in the colour the margin has anyway.
    Rectangle {
        id: _corners

        readonly property real _ring: 10 * c_Scale

        objectName: "frameCorners"
        x: _frame.x - _ring
        y: _frame.y - _ring
        width: _frame.width + 2 * _ring
        height: _frame.height + 2 * _ring
        radius: 10 * c_Scale + _ring
        color: "transparent"
        border.width: _ring
        border.color: Colors.c_background
    }
}
