import QtQuick 2.15
import QtQuick.Controls 2.15
import QtGraphicalEffects 1.15

// Produktiv
// import "qrc:/src/views/auftraege"
// import "qrc:/src/views/lager"
// import "qrc:/src/views/kunde"
// import "qrc:/src/views/usermanager"
// import "qrc:/src/views/einstellungen"

// Testing
import "./views/auftraege"
import "./views/lager"
import "./views/kunde"
import "./views/usermanager"
import "./views/einstellungen"

// Holds every view of the application at once: the areas one below the other,
// the sub-views of an area side by side. Shows what the navigation chooses,
// tells views when to reload and hands the top bar's searches to the list in
// front.
Item {
    id: _container

    // the current area (0 orders, 1 warehouse, 2 customers, 3 user manager, 4 settings); undefined until one is chosen
    property var _curViewIndex: undefined
    // the sub-view index chosen last, in whichever area
    property int _curSubViewIndex: 0

    // asks the navigation to bring the submenu of this area up to date
    signal navigationRefresh(int index)

    // makes the area current; it shows the page it showed before, and nothing is reloaded
    function changeView(viewIndex) {
        _curViewIndex = viewIndex
        if (viewIndex >= 0 && viewIndex < _areas.count)
            _areas.currentIndex = viewIndex
    }

    // shows page `index` of the current area and reloads it when it is one that reloads
    function changeContainerIndex(index) {
        _curSubViewIndex = index
        var area = _areaAt(_curViewIndex)
        // an index beyond the area's pages leaves its page in front
        if (area && index >= 0 && index < area.count)
            area.currentIndex = index
        switch (_pairKey(_curViewIndex, index)) {
        case "0/0": _erfasst.refresh(""); break
        case "0/1": _abgerechnet.refresh(""); break
        case "0/3": _neuerAuftrag.refresh(); break
        case "1/1": _artikelbestandUebersicht.refresh(); break
        case "1/2": _artikelgruppenUebersicht.refresh(); break
        case "2/0": _kundenUebersicht.refresh(""); break
        }
    }

    // hands a search to the list in front, if the pair of indices names one that searches
    function searchKeyword(keyword, livesearch) {
        console.log("searchKeyword view " + _curViewIndex + " subview " + _curSubViewIndex)
        var view = null
        switch (_pairKey(_curViewIndex, _curSubViewIndex)) {
        case "0/0": view = _erfasst; break
        case "0/1": view = _abgerechnet; break
        case "2/0": view = _kundenUebersicht; break
        }
        if (!view)
            return
        if (livesearch)
            view.modelLiveRefresh(keyword)
        else
            view.modelRefresh(keyword)
    }

    // the view in front
    function currentView() {
        var area = _areas.currentItem
        return area ? area.currentItem : null
    }

    // the view of one area and sub-view, or null
    function viewAt(area, subView) {
        var pages = _areaAt(area)
        return pages && subView >= 0 && subView < pages.count ? pages.itemAt(subView) : null
    }

    function _areaAt(index) {
        return index >= 0 && index < _areas.count ? _areas.itemAt(index) : null
    }

    function _pairKey(area, subView) {
        return area + "/" + subView
    }

    // The frame clips the sliding pages to a card with rounded corners; the
    // software renderer has no shaders, so there the corners stay square.
    Item {
        id: _frame
        anchors.fill: parent
        anchors.margins: 20 * c_Scale
        layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
        layer.effect: OpacityMask {
            maskSource: Rectangle {
                width: _frame.width
                height: _frame.height
                radius: 10 * c_Scale
            }
        }

        SwipeView {
            id: _areas
            objectName: "areas"
            anchors.fill: parent
            orientation: Qt.Vertical
            interactive: false
            clip: true

            SwipeView {
                objectName: "area_0"
                interactive: false
                Erfasst { id: _erfasst; objectName: "Erfasst" }
                Abgerechnet { id: _abgerechnet; objectName: "Abgerechnet" }
                Rechnungen { objectName: "Rechnungen" }
                NeuerAuftrag { id: _neuerAuftrag; objectName: "NeuerAuftrag" }
            }

            SwipeView {
                objectName: "area_1"
                interactive: false
                ArtikelbestandBuchen { objectName: "ArtikelbestandBuchen" }
                ArtikelbestandUebersicht {
                    id: _artikelbestandUebersicht
                    objectName: "ArtikelbestandUebersicht"
                    // the stock overview reloading may mean a delivery order was opened or closed
                    onRefresh: _container.navigationRefresh(1)
                }
                ArtikelgruppenUebersicht { id: _artikelgruppenUebersicht; objectName: "ArtikelgruppenUebersicht" }
                ArtikelgruppenErfassen { objectName: "ArtikelgruppenErfassen" }
                ArtikelgruppenImport { objectName: "ArtikelgruppenImport" }
            }

            SwipeView {
                objectName: "area_2"
                interactive: false
                KundenUebersicht { id: _kundenUebersicht; objectName: "KundenUebersicht" }
                NeuerKunde { objectName: "NeuerKunde" }
            }

            SwipeView {
                objectName: "area_3"
                interactive: false
                Users { objectName: "Users" }
            }

            SwipeView {
                objectName: "area_4"
                // the only area the user may swipe in
                interactive: true
                Update { objectName: "Update" }
            }
        }
    }
}
