import QtQuick 2.15

// The countries a customer or an address can be in, for the "Land" pickers.
// A stored country is its id, and the id is the position in this list (0 to
// 205, without gaps): every customer on the backend refers to these numbers,
// so an entry is never moved, removed or inserted. Some states stand here
// twice under two names; each name keeps its own id. The names shown on the
// customer cards come from CountryById.js, which shares the ids.
ListModel {
    id: _countrys

    ListElement { key: "Afghanistan"; value: 0 }
    ListElement { key: "Ägypten"; value: 1 }
    ListElement { key: "Albanien"; value: 2 }
    ListElement { key: "Algerien"; value: 3 }
    ListElement { key: "Andorra"; value: 4 }
    ListElement { key: "Angola"; value: 5 }
    ListElement { key: "Antarktis"; value: 6 }
    ListElement { key: "Antigua und Barbuda"; value: 7 }
    ListElement { key: "Äquatorialguinea"; value: 8 }
    ListElement { key: "Argentinien"; value: 9 }
    ListElement { key: "Armenien"; value: 10 }
    ListElement { key: "Aserbaidschan"; value: 11 }
    ListElement { key: "Äthiopien"; value: 12 }
    ListElement { key: "Australien"; value: 13 }
    ListElement { key: "Bahamas"; value: 14 }
    ListElement { key: "Bahrain"; value: 15 }
    ListElement { key: "Bangladesch"; value: 16 }
    ListElement { key: "Barbados"; value: 17 }
    ListElement { key: "Belgien"; value: 18 }
    ListElement { key: "Belize"; value: 19 }
    ListElement { key: "Benin"; value: 20 }
    ListElement { key: "Bhutan"; value: 21 }
    ListElement { key: "Bolivien"; value: 22 }
    ListElement { key: "Bosnien und Herzegowina"; value: 23 }
    ListElement { key: "Botsuana"; value: 24 }
    ListElement { key: "Brasilien"; value: 25 }
    ListElement { key: "Brunei"; value: 26 }
    ListElement { key: "Bulgarien"; value: 27 }
    ListElement { key: "Burkina Faso"; value: 28 }
    ListElement { key: "Birma"; value: 29 }
    ListElement { key: "Burundi"; value: 30 }
    ListElement { key: "Chile"; value: 31 }
    ListElement { key: "China"; value: 32 }
    ListElement { key: "Cookinseln"; value: 33 }
    ListElement { key: "Costa Rica (cta)"; value: 34 }
    ListElement { key: "Dänemark"; value: 35 }
    ListElement { key: "Deutschland"; value: 36 }
    ListElement { key: "Dominica"; value: 37 }
    ListElement { key: "Dominikanische Republik"; value: 38 }
    ListElement { key: "Dschibuti"; value: 39 }
    ListElement { key: "Ecuador"; value: 40 }
    ListElement { key: "Elfenbeinküste"; value: 41 }
    ListElement { key: "El Salvador"; value: 42 }
    ListElement { key: "Eritrea"; value: 43 }
    ListElement { key: "Estland"; value: 44 }
    ListElement { key: "Falklandinseln"; value: 45 }
    ListElement { key: "Fidschi"; value: 46 }
    ListElement { key: "Finnland"; value: 47 }
    ListElement { key: "Föderierte Staaten von Mikronesien"; value: 48 }
    ListElement { key: "Frankreich"; value: 49 }
    ListElement { key: "Französisch Guayana"; value: 50 }
    ListElement { key: "Gabun"; value: 51 }
    ListElement { key: "Gambia"; value: 52 }
    ListElement { key: "Georgien"; value: 53 }
    ListElement { key: "Ghana"; value: 54 }
    ListElement { key: "Grenada"; value: 55 }
    ListElement { key: "Griechenland"; value: 56 }
    ListElement { key: "Großbritannien"; value: 57 }
    ListElement { key: "Guatemala"; value: 58 }
    ListElement { key: "Guinea"; value: 59 }
    ListElement { key: "Guinea-Bissau"; value: 60 }
    ListElement { key: "Guyana"; value: 61 }
    ListElement { key: "Haiti"; value: 62 }
    ListElement { key: "Honduras,"; value: 63 }
    ListElement { key: "Indien"; value: 64 }
    ListElement { key: "Indonesien"; value: 65 }
    ListElement { key: "Irak"; value: 66 }
    ListElement { key: "Iran"; value: 67 }
    ListElement { key: "Irland"; value: 68 }
    ListElement { key: "Island"; value: 69 }
    ListElement { key: "Israel"; value: 70 }
    ListElement { key: "Italien"; value: 71 }
    ListElement { key: "Jamaika"; value: 72 }
    ListElement { key: "Japan"; value: 73 }
    ListElement { key: "Jemen"; value: 74 }
    ListElement { key: "Jordanien"; value: 75 }
    ListElement { key: "Kambodscha"; value: 76 }
    ListElement { key: "Kamerun"; value: 77 }
    ListElement { key: "Kanada"; value: 78 }
    ListElement { key: "Kap Verde"; value: 79 }
    ListElement { key: "Kasachstan"; value: 80 }
    ListElement { key: "Katar"; value: 81 }
    ListElement { key: "Kenia"; value: 82 }
    ListElement { key: "Kirgisistan"; value: 83 }
    ListElement { key: "Kiribati"; value: 84 }
    ListElement { key: "Kolumbien"; value: 85 }
    ListElement { key: "Komoren"; value: 86 }
    ListElement { key: "Kongo (Demokratische Republik)"; value: 87 }
    ListElement { key: "Kongo (Republik) Kosovo"; value: 88 }
    ListElement { key: "Kroatien"; value: 89 }
    ListElement { key: "Kuba"; value: 90 }
    ListElement { key: "Kuwait"; value: 91 }
    ListElement { key: "Laos"; value: 92 }
    ListElement { key: "Lesotho"; value: 93 }
    ListElement { key: "Lettland"; value: 94 }
    ListElement { key: "Libanon"; value: 95 }
    ListElement { key: "Liberia"; value: 96 }
    ListElement { key: "Libyen"; value: 97 }
    ListElement { key: "Liechtenstein"; value: 98 }
    ListElement { key: "Litauen"; value: 99 }
    ListElement { key: "Luxemburg"; value: 100 }
    ListElement { key: "Madagaskar"; value: 101 }
    ListElement { key: "Malawi"; value: 102 }
    ListElement { key: "Malaysia"; value: 103 }
    ListElement { key: "Malediven"; value: 104 }
    ListElement { key: "Mali"; value: 105 }
    ListElement { key: "Malta"; value: 106 }
    ListElement { key: "Marokko"; value: 107 }
    ListElement { key: "Marshallinseln"; value: 108 }
    ListElement { key: "Mauretanien"; value: 109 }
    ListElement { key: "Mauritius"; value: 110 }
    ListElement { key: "Mazedonien"; value: 111 }
    ListElement { key: "Mexiko"; value: 112 }
    ListElement { key: "(Föderierte Staaten von) Mikronesien"; value: 113 }
    ListElement { key: "Moldawien"; value: 114 }
    ListElement { key: "Monaco"; value: 115 }
    ListElement { key: "Mongolei"; value: 116 }
    ListElement { key: "Montenegro"; value: 117 }
    ListElement { key: "Mosambik"; value: 118 }
    ListElement { key: "Myanmar"; value: 119 }
    ListElement { key: "Namibia"; value: 120 }
    ListElement { key: "Nauru"; value: 121 }
    ListElement { key: "Nepal"; value: 122 }
    ListElement { key: "Neuseeland"; value: 123 }
    ListElement { key: "Nicaragua"; value: 124 }
    ListElement { key: "Niederlande"; value: 125 }
    ListElement { key: "Niger"; value: 126 }
    ListElement { key: "Nigeria"; value: 127 }
    ListElement { key: "Nordkorea"; value: 128 }
    ListElement { key: "Nordzypern"; value: 129 }
    ListElement { key: "Norwegen"; value: 130 }
    ListElement { key: "Oman"; value: 131 }
    ListElement { key: "Österreich,"; value: 132 }
    ListElement { key: "Pakistan"; value: 133 }
    ListElement { key: "Palau"; value: 134 }
    ListElement { key: "Palästina"; value: 135 }
    ListElement { key: "Panama"; value: 136 }
    ListElement { key: "Papua-Neuguinea"; value: 137 }
    ListElement { key: "Paraguay"; value: 138 }
    ListElement { key: "Peru"; value: 139 }
    ListElement { key: "Philippinen"; value: 140 }
    ListElement { key: "Polen"; value: 141 }
    ListElement { key: "Portugal,"; value: 142 }
    ListElement { key: "Ruanda"; value: 143 }
    ListElement { key: "Rumänien"; value: 144 }
    ListElement { key: "Russland"; value: 145 }
    ListElement { key: "Saint Kitts und Nevis"; value: 146 }
    ListElement { key: "Saint Lucia"; value: 147 }
    ListElement { key: "Saint Vincent und die Grenadinen"; value: 148 }
    ListElement { key: "Salomonen"; value: 149 }
    ListElement { key: "Sambia"; value: 150 }
    ListElement { key: "Samoa"; value: 151 }
    ListElement { key: "San Marino"; value: 152 }
    ListElement { key: "São Tomé und Príncipe"; value: 153 }
    ListElement { key: "Saudi-Arabien"; value: 154 }
    ListElement { key: "Senegal"; value: 155 }
    ListElement { key: "Serbien"; value: 156 }
    ListElement { key: "Seychellen"; value: 157 }
    ListElement { key: "Sierra Leone"; value: 158 }
    ListElement { key: "Singapur"; value: 159 }
    ListElement { key: "Simbabwe"; value: 160 }
    ListElement { key: "Slowakei"; value: 161 }
    ListElement { key: "Slowenien"; value: 162 }
    ListElement { key: "Somalia"; value: 163 }
    ListElement { key: "Spanien"; value: 164 }
    ListElement { key: "Sri Lanka"; value: 165 }
    ListElement { key: "Südafrika"; value: 166 }
    ListElement { key: "Sudan"; value: 167 }
    ListElement { key: "Südsudan"; value: 168 }
    ListElement { key: "Südkorea"; value: 169 }
    ListElement { key: "Surinam"; value: 170 }
    ListElement { key: "Svalbard"; value: 171 }
    ListElement { key: "Swasiland"; value: 172 }
    ListElement { key: "Schweden"; value: 173 }
    ListElement { key: "Schweiz"; value: 174 }
    ListElement { key: "Syrien"; value: 175 }
    ListElement { key: "Tadschikistan"; value: 176 }
    ListElement { key: "Taiwan"; value: 177 }
    ListElement { key: "Tansania"; value: 178 }
    ListElement { key: "Thailand"; value: 179 }
    ListElement { key: "Timor-Leste"; value: 180 }
    ListElement { key: "Togo"; value: 181 }
    ListElement { key: "Tonga"; value: 182 }
    ListElement { key: "Trinidad und Tobago"; value: 183 }
    ListElement { key: "Tschad"; value: 184 }
    ListElement { key: "Tschechien"; value: 185 }
    ListElement { key: "Tunesien"; value: 186 }
    ListElement { key: "Türkei"; value: 187 }
    ListElement { key: "Turkmenistan"; value: 188 }
    ListElement { key: "Tuvalu"; value: 189 }
    ListElement { key: "Uganda"; value: 190 }
    ListElement { key: "Ukraine"; value: 191 }
    ListElement { key: "Ungarn"; value: 192 }
    ListElement { key: "Uruguay"; value: 193 }
    ListElement { key: "Usbekistan"; value: 194 }
    ListElement { key: "Vanuatu"; value: 195 }
    ListElement { key: "Vatikan"; value: 196 }
    ListElement { key: "Venezuela"; value: 197 }
    ListElement { key: "Vereinigte Arabische Emirate"; value: 198 }
    ListElement { key: "Vereinigtes Königreich"; value: 199 }
    ListElement { key: "Vereinigte Staaten von Amerika"; value: 200 }
    ListElement { key: "Vietnam"; value: 201 }
    ListElement { key: "Weißrussland"; value: 202 }
    ListElement { key: "Westsahara,"; value: 203 }
    ListElement { key: "Zentralafrikanische Republik"; value: 204 }
    ListElement { key: "Zypern"; value: 205 }
}
