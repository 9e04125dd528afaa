import QtQuick 2.15

// The shipment types an order can have. Orders store the position of their
// type ("sendungsart"), so "value" is always the position: never reorder or
// remove rows, only append. The worldwide express types are the ones whose
// text contains "WW Express"; the order form preselects their tax row by it.
ListModel {
    ListElement { key: "eco 48"; value: 0 }
    ListElement { key: "eco 24"; value: 1 }
    ListElement { key: "eco 24+"; value: 2 }
    ListElement { key: "Overnight"; value: 3 }
    ListElement { key: "Overnight+"; value: 4 }
    ListElement { key: "Overnight++"; value: 5 }
    ListElement { key: "TB Express"; value: 6 }
    ListElement { key: "TB Express 12 h"; value: 7 }
    ListElement { key: "TB Express 10 h"; value: 8 }
    ListElement { key: "TB Express 9 h"; value: 9 }
    ListElement { key: "TB Economy"; value: 10 }
    ListElement { key: "WW Express"; value: 11 }
    ListElement { key: "WW Express 12 h"; value: 12 }
    ListElement { key: "WW Express 10 h"; value: 13 }
    ListElement { key: "WW Express 9 h"; value: 14 }
    ListElement { key: "Same Day"; value: 15 }
    ListElement { key: "Direktfahrt"; value: 16 }
    ListElement { key: "Lager"; value: 17 }
    ListElement { key: "Sonstiges"; value: 18 }
}
