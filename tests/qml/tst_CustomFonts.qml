import QtQuick 2.15
import QtTest 1.15

import "../../static"

TestCase {
    name: "CustomFonts"
    when: windowShown

    function test_namesResolveToTheEmbeddedFamilies() {
        var keys = ["montserrat", "nunitoSans", "raleway", "roboto",
                    "fontAwesomeRegular", "fontAwesomeSolid", "fontAwesomeBrands"]
        compare(Object.keys(CustomFonts.names).sort(), keys.slice().sort())
        for (var i = 0; i < keys.length; ++i)
            verify(CustomFonts.names[keys[i]].length > 0, keys[i])
        compare(CustomFonts.names.montserrat, "Montserrat")
        compare(CustomFonts.names.nunitoSans, "Nunito Sans")
        compare(CustomFonts.names.fontAwesomeRegular, "Font Awesome 5 Free")
        compare(CustomFonts.names.fontAwesomeSolid, "Font Awesome 5 Free")
        compare(CustomFonts.names.fontAwesomeBrands, "Font Awesome 5 Brands")
    }

    function test_everyFaceLoads() {
        var nine = ["Thin", "ExtraLight", "Light", "Regular", "Medium", "SemiBold", "Bold", "ExtraBold", "Black"]
        var families = {
            "montserrat": nine,
            "raleway": nine,
            "nunitoSans": ["ExtraLight", "Light", "Regular", "SemiBold", "Bold", "ExtraBold", "Black"],
            "roboto": ["Thin", "Light", "Regular", "Medium", "Bold", "Black"]
        }
        var loaders = ["fontAwesomeRegular", "fontAwesomeSolid", "fontAwesomeBrands"]
        for (var family in families) {
            loaders.push(family)
            for (var i = 0; i < families[family].length; ++i) {
                loaders.push(family + families[family][i])
                loaders.push(family + families[family][i] + "Italic")
            }
        }
        compare(loaders.length, 69)
        for (var j = 0; j < loaders.length; ++j) {
            var loader = CustomFonts[loaders[j]]
            verify(loader !== undefined, loaders[j])
            compare(loader.status, FontLoader.Ready, loaders[j])
        }
    }
}
