import QtQuick 2.15
import QtTest 1.15

import "../../static"
import "../../static/CountryById.js" as CountryById

// The country catalogue: stored ids name the same country in the picker list
// and in the table the cards read.
TestCase {
    name: "Countrys"

    Countrys {
        id: countrys
    }

    function test_idsAreThePositions() {
        compare(countrys.count, 206)
        for (var i = 0; i < countrys.count; ++i)
            compare(countrys.get(i).value, i, "entry " + i)
        compare(Object.keys(CountryById.dict).length, 206)
    }

    function test_bothFormsName_data() {
        return [
            { tag: "first", id: 0, picker: "Afghanistan", card: "Afghanistan" },
            { tag: "default", id: 36, picker: "Deutschland", card: "Deutschland" },
            { tag: "last", id: 205, picker: "Zypern", card: "Zypern" },
            { tag: "twice under two names", id: 119, picker: "Myanmar", card: "Myanmar" },
            { tag: "one entry", id: 88, picker: "Kongo (Republik) Kosovo", card: "Kongo (Republik) Kosovo" },
            // the six rows in which the two forms differ
            { tag: "34", id: 34, picker: "Costa Rica (cta)", card: "Costa Rica (cta" },
            { tag: "63", id: 63, picker: "Honduras,", card: "Honduras" },
            { tag: "87", id: 87, picker: "Kongo (Demokratische Republik)", card: "Kongo (Demokratische Republik" },
            { tag: "132", id: 132, picker: "Österreich,", card: "Österreich" },
            { tag: "142", id: 142, picker: "Portugal,", card: "Portugal" },
            { tag: "203", id: 203, picker: "Westsahara,", card: "Westsahara" }
        ]
    }

    function test_bothFormsName(data) {
        compare(countrys.get(data.id).key, data.picker)
        compare(CountryById.dict[data.id], data.card)
    }

    function test_theFormsDifferInSixRowsOnly() {
        var differing = []
        for (var i = 0; i < countrys.count; ++i) {
            if (countrys.get(i).key !== CountryById.dict[i])
                differing.push(i)
        }
        compare(differing, [34, 63, 87, 132, 142, 203])
    }

    function test_unknownIdNamesNothing() {
        compare(CountryById.dict[-1], undefined)
        compare(CountryById.dict[206], undefined)
    }
}
