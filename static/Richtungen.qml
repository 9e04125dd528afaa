import QtQuick 2.15

// The directions of an order. Orders store the position ("richtung"), so
// "value" is always the position: never reorder or remove rows.
ListModel {
    ListElement { key: "Export"; value: 0 }
    ListElement { key: "Import"; value: 1 }
    ListElement { key: "Drittland"; value: 2 }
    ListElement { key: "Domestik"; value: 3 }
    ListElement { key: "Lokal"; value: 4 }
}
