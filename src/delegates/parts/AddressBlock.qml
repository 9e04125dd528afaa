import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../../static/CountryById.js" as CountryById

// A postal address on a card, one line each (a long one wraps): street and
// number; postal code and town; province; the country named by its stored id
// (an id the catalogue does not know shows an empty line).
Column {
    id: _address

    // street and house number
    property var street: ""
    // postal code
    property var zipcode: ""
    // town
    property var town: ""
    // province
    property var province: ""
    // the stored country id
    property var country: -1
    // pixel size of the lines
    property real pixelSize: 15 * c_Scale

    // the country's name as the card shows it
    readonly property string countryName: {
        var name = CountryById.dict[_address.country]
        return name === undefined ? "" : name
    }

    function _text(value) {
        return value === undefined || value === null ? "" : String(value)
    }

    spacing: 4 * c_Scale

    Repeater {
        model: [
            { name: "street", text: _address._text(_address.street) },
            { name: "zipcodeTown", text: _address._text(_address.zipcode) + " " + _address._text(_address.town) },
            { name: "province", text: _address._text(_address.province) },
            { name: "country", text: _address.countryName }
        ]

        Text {
            objectName: modelData.name
            width: _address.width
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            // addresses are data from the backend: never read as markup
            textFormat: Text.PlainText
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: _address.pixelSize
            color: Colors.c_nav_font
            text: modelData.text
        }
    }
}
