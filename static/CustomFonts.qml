pragma Singleton
import QtQuick 2.15

// Every face the documents may use, loaded when the singleton is first used, so
// that weight and italic settings on a family resolve to the embedded faces.
// The faces always come from the executable's resources, also when the
// documents themselves are read from a tree on disk. Documents pick families
// only through `names`.
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

    // Montserrat
    readonly property FontLoader montserrat: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Regular.ttf" }
    readonly property FontLoader montserratThin: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Thin.ttf" }
    readonly property FontLoader montserratThinItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-ThinItalic.ttf" }
    readonly property FontLoader montserratExtraLight: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-ExtraLight.ttf" }
    readonly property FontLoader montserratExtraLightItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-ExtraLightItalic.ttf" }
    readonly property FontLoader montserratLight: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Light.ttf" }
    readonly property FontLoader montserratLightItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-LightItalic.ttf" }
    readonly property FontLoader montserratRegular: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Regular.ttf" }
    readonly property FontLoader montserratRegularItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-RegularItalic.ttf" }
    readonly property FontLoader montserratMedium: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Medium.ttf" }
    readonly property FontLoader montserratMediumItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-MediumItalic.ttf" }
    readonly property FontLoader montserratSemiBold: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-SemiBold.ttf" }
    readonly property FontLoader montserratSemiBoldItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-SemiBoldItalic.ttf" }
    readonly property FontLoader montserratBold: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Bold.ttf" }
    readonly property FontLoader montserratBoldItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-BoldItalic.ttf" }
    readonly property FontLoader montserratExtraBold: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-ExtraBold.ttf" }
    readonly property FontLoader montserratExtraBoldItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-ExtraBoldItalic.ttf" }
    readonly property FontLoader montserratBlack: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-Black.ttf" }
    readonly property FontLoader montserratBlackItalic: FontLoader { source: "qrc:/fonts/Montserrat/Montserrat-BlackItalic.ttf" }

    // NunitoSans
    readonly property FontLoader nunitoSans: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-Regular.ttf" }
    readonly property FontLoader nunitoSansExtraLight: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-ExtraLight.ttf" }
    readonly property FontLoader nunitoSansExtraLightItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-ExtraLightItalic.ttf" }
    readonly property FontLoader nunitoSansLight: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-Light.ttf" }
    readonly property FontLoader nunitoSansLightItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-LightItalic.ttf" }
    readonly property FontLoader nunitoSansRegular: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-Regular.ttf" }
    readonly property FontLoader nunitoSansRegularItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-RegularItalic.ttf" }
    readonly property FontLoader nunitoSansSemiBold: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-SemiBold.ttf" }
    readonly property FontLoader nunitoSansSemiBoldItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-SemiBoldItalic.ttf" }
    readonly property FontLoader nunitoSansBold: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-Bold.ttf" }
    readonly property FontLoader nunitoSansBoldItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-BoldItalic.ttf" }
    readonly property FontLoader nunitoSansExtraBold: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-ExtraBold.ttf" }
    readonly property FontLoader nunitoSansExtraBoldItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-ExtraBoldItalic.ttf" }
    readonly property FontLoader nunitoSansBlack: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-Black.ttf" }
    readonly property FontLoader nunitoSansBlackItalic: FontLoader { source: "qrc:/fonts/Nunito_Sans/NunitoSans-BlackItalic.ttf" }

    // Raleway
    readonly property FontLoader raleway: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Regular.ttf" }
    readonly property FontLoader ralewayThin: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Thin.ttf" }
    readonly property FontLoader ralewayThinItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-ThinItalic.ttf" }
    readonly property FontLoader ralewayExtraLight: FontLoader { source: "qrc:/fonts/Raleway/Raleway-ExtraLight.ttf" }
    readonly property FontLoader ralewayExtraLightItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-ExtraLightItalic.ttf" }
    readonly property FontLoader ralewayLight: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Light.ttf" }
    readonly property FontLoader ralewayLightItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-LightItalic.ttf" }
    readonly property FontLoader ralewayRegular: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Regular.ttf" }
    readonly property FontLoader ralewayRegularItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-RegularItalic.ttf" }
    readonly property FontLoader ralewayMedium: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Medium.ttf" }
    readonly property FontLoader ralewayMediumItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-MediumItalic.ttf" }
    readonly property FontLoader ralewaySemiBold: FontLoader { source: "qrc:/fonts/Raleway/Raleway-SemiBold.ttf" }
    readonly property FontLoader ralewaySemiBoldItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-SemiBoldItalic.ttf" }
    readonly property FontLoader ralewayBold: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Bold.ttf" }
    readonly property FontLoader ralewayBoldItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-BoldItalic.ttf" }
    readonly property FontLoader ralewayExtraBold: FontLoader { source: "qrc:/fonts/Raleway/Raleway-ExtraBold.ttf" }
    readonly property FontLoader ralewayExtraBoldItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-ExtraBoldItalic.ttf" }
    readonly property FontLoader ralewayBlack: FontLoader { source: "qrc:/fonts/Raleway/Raleway-Black.ttf" }
    readonly property FontLoader ralewayBlackItalic: FontLoader { source: "qrc:/fonts/Raleway/Raleway-BlackItalic.ttf" }

    // Roboto
    readonly property FontLoader roboto: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Regular.ttf" }
    readonly property FontLoader robotoThin: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Thin.ttf" }
    readonly property FontLoader robotoThinItalic: FontLoader { source: "qrc:/fonts/Roboto/Roboto-ThinItalic.ttf" }
    readonly property FontLoader robotoLight: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Light.ttf" }
    readonly property FontLoader robotoLightItalic: FontLoader { source: "qrc:/fonts/Roboto/Roboto-LightItalic.ttf" }
    readonly property FontLoader robotoRegular: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Regular.ttf" }
    readonly property FontLoader robotoRegularItalic: FontLoader { source: "qrc:/fonts/Roboto/Roboto-RegularItalic.ttf" }
    readonly property FontLoader robotoMedium: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Medium.ttf" }
    readonly property FontLoader robotoMediumItalic: FontLoader { source: "qrc:/fonts/Roboto/Roboto-MediumItalic.ttf" }
    readonly property FontLoader robotoBold: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Bold.ttf" }
    readonly property FontLoader robotoBoldItalic: FontLoader { source: "qrc:/fonts/Roboto/Roboto-BoldItalic.ttf" }
    readonly property FontLoader robotoBlack: FontLoader { source: "qrc:/fonts/Roboto/Roboto-Black.ttf" }
    readonly property FontLoader robotoBlackItalic: FontLoader { source: "qrc:/fonts/Roboto/Roboto-BlackItalic.ttf" }

    // Font Awesome 5 Free: regular and solid share one family name; bold picks solid
    readonly property FontLoader fontAwesomeRegular: FontLoader { source: "qrc:/fonts/fontAwesome/FontAwesome5FreeRegular400.otf" }
    readonly property FontLoader fontAwesomeSolid: FontLoader { source: "qrc:/fonts/fontAwesome/FontAwesome5Solid900.otf" }
    readonly property FontLoader fontAwesomeBrands: FontLoader { source: "qrc:/fonts/fontAwesome/FontAwesome5Brands400.otf" }
}
