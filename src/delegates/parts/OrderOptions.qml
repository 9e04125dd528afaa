import QtQuick 2.15

// The options of an order or invoice card in three columns, filled row by
// row: "DOX" and "NOX" always checked, then each surcharge flag of the
// record; the insurance premium and the time window carry their amounts.
// ("versand_heavy_weight" is not shown.)
Grid {
    id: _options

    // the record: an element with the order fields as properties
    property var order: null

    // the options in order: flag (none: always checked), label, amount field (none: no amount)
    readonly property var options: [
        { flag: "", label: "DOX" },
        { flag: "", label: "NOX" },
        { flag: "zustellung_im_aussengebiet", label: qsTr("Zustellung im Aussengebiet") },
        { flag: "abholung_im_aussengebiet", label: qsTr("Abholung im Aussengebiet") },
        { flag: "versand_oversized", label: qsTr("Versand Oversized") },
        { flag: "versand_nicht_stapelbare_palette", label: qsTr("Versand nicht stapelbare Palette") },
        { flag: "zustellung_samstags", label: qsTr("Zustellung Samstags") },
        { flag: "abholung_samstags", label: qsTr("Abholung Samstags") },
        { flag: "gebuehr_fuer_zusaetzliche_handhabung", label: qsTr("Gebühr für zusäzliche Handhabung") },
        { flag: "praemie_fuer_transportversicherung", label: qsTr("Prämie für Transportversicherung"),
          amount: "betrag_fuer_praemie_fuer_transportversicherung" },
        { flag: "gebuehr_fuer_erstellung_einer_ae", label: qsTr("Gebühr für Erstellung einer AE") },
        { flag: "gebuehr_fuer_kein_envelope", label: qsTr("Falsche Option ausgewählt, kein Envelope ") },
        { flag: "zeitfensterzustellung", label: qsTr("Zeitfensterzustellung"),
          amount: "betrag_fuer_zeitfenstereinstellungen" }
    ]

    columns: 3
    rowSpacing: 8 * c_Scale
    columnSpacing: 20 * c_Scale

    Repeater {
        model: _options.options

        OptionFlag {
            objectName: modelData.flag || modelData.label
            width: (_options.width - 2 * _options.columnSpacing) / 3
            checked: modelData.flag === "" || (_options.order !== null && _options.order[modelData.flag] === true)
            label: modelData.label
            hasAmount: modelData.amount !== undefined
            amount: modelData.amount !== undefined && _options.order ? _options.order[modelData.amount] : ""
        }
    }
}
