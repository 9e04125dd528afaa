import QtQuick 2.15

// The shipping partners an order can go with. Orders store the position
// ("versandpartner"), so "value" is always the position: never reorder or
// remove rows.
ListModel {
    ListElement { key: "UPS"; value: 0 }
    ListElement { key: "ILONEX"; value: 1 }
    ListElement { key: "DHL-Express"; value: 2 }
    ListElement { key: "DHL-Paket"; value: 3 }
    ListElement { key: "Time Matters"; value: 4 }
    ListElement { key: "FedEx"; value: 5 }
    ListElement { key: "TNT-Express"; value: 6 }
}
