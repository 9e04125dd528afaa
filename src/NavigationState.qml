import QtQml 2.15

import "./routes.js" as Routes

// Where the user is on the working surface: the current area and the sub-view
// chosen last. The navigation strip, the submenu and the view container all
// read it from here, and choices go through it.
QtObject {
    id: _state

    // the current area (an index into the route table); undefined until one is chosen
    property var area: undefined
    // the sub-view index chosen last, in whichever area: one value for all areas,
    // kept when the area changes
    property int subView: 0

    // an area was chosen (also the current one again)
    signal areaChosen(int area)
    // a sub-view was chosen (also the same one again); the container shows it and
    // refreshes it where the route table says so
    signal subViewChosen(int subView)

    // makes `index` the current area; an index outside the table changes nothing
    function chooseArea(index) {
        if (index < 0 || index >= Routes.areas.length)
            return
        area = index
        areaChosen(index)
    }

    // records `index` as the chosen sub-view of the current area, also one beyond its pages
    function chooseSubView(index) {
        subView = index
        subViewChosen(index)
    }
}
