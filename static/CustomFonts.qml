pragma Singleton
import QtQuick 2.15

// Every face the documents may use, by family, so that weight and italic
// settings on a family resolve to the embedded faces. The host registers the
// faces from the executable's resources without copying them (native
// FontFaces): the login panel's before the first frame, the rest right after
// it and before the working surface is built; so these loaders only name the
// families and never read a file. The faces always come from the executable,
// also when the documents themselves are read from a tree on disk. Documents
// pick families only through `names`.
Item {
    id: _fonts

    // family names as the loaders report them
    readonly property var names: ({
        "montserrat": montserrat.name,
        "nunitoSans": nunitoSans.name,
        "raleway": raleway.name,
        "roboto": roboto.name,
        "fontAwesomeRegular": fontAwesomeRegular.name,
        "fontAwesomeSolid": fontAwesomeSolid.name,
        "fontAwesomeBrands": fontAwesomeBrands.name
    })

    // the families of the embedded faces, as the font database reports them
    readonly property string _montserratFamily: "Montserrat"
    readonly property string _nunitoSansFamily: "Nunito Sans"
    readonly property string _ralewayFamily: "Raleway"
    readonly property string _robotoFamily: "Roboto"
    readonly property string _fontAwesomeFamily: "Font Awesome 5 Free"
    readonly property string _fontAwesomeBrandsFamily: "Font Awesome 5 Brands"

    // Montserrat
    readonly property FontLoader montserrat: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratThin: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratThinItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratExtraLight: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratExtraLightItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratLight: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratLightItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratRegular: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratRegularItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratMedium: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratMediumItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratSemiBold: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratSemiBoldItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratBold: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratBoldItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratExtraBold: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratExtraBoldItalic: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratBlack: FontLoader { name: _fonts._montserratFamily }
    readonly property FontLoader montserratBlackItalic: FontLoader { name: _fonts._montserratFamily }

    // NunitoSans
    readonly property FontLoader nunitoSans: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansExtraLight: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansExtraLightItalic: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansLight: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansLightItalic: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansRegular: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansRegularItalic: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansSemiBold: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansSemiBoldItalic: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansBold: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansBoldItalic: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansExtraBold: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansExtraBoldItalic: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansBlack: FontLoader { name: _fonts._nunitoSansFamily }
    readonly property FontLoader nunitoSansBlackItalic: FontLoader { name: _fonts._nunitoSansFamily }

    // Raleway
    readonly property FontLoader raleway: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayThin: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayThinItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayExtraLight: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayExtraLightItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayLight: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayLightItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayRegular: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayRegularItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayMedium: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayMediumItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewaySemiBold: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewaySemiBoldItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayBold: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayBoldItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayExtraBold: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayExtraBoldItalic: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayBlack: FontLoader { name: _fonts._ralewayFamily }
    readonly property FontLoader ralewayBlackItalic: FontLoader { name: _fonts._ralewayFamily }

    // Roboto
    readonly property FontLoader roboto: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoThin: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoThinItalic: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoLight: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoLightItalic: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoRegular: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoRegularItalic: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoMedium: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoMediumItalic: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoBold: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoBoldItalic: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoBlack: FontLoader { name: _fonts._robotoFamily }
    readonly property FontLoader robotoBlackItalic: FontLoader { name: _fonts._robotoFamily }

    // Font Awesome 5 Free: regular and solid share one family name; bold picks solid
    readonly property FontLoader fontAwesomeRegular: FontLoader { name: _fonts._fontAwesomeFamily }
    readonly property FontLoader fontAwesomeSolid: FontLoader { name: _fonts._fontAwesomeFamily }
    readonly property FontLoader fontAwesomeBrands: FontLoader { name: _fonts._fontAwesomeBrandsFamily }
}
