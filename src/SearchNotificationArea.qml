import QtQuick 2.15

import "../static/colors.js" as Colors
import "./controls" as Controls

// The top bar of the working surface: the search field on the left half, the
// profile area on the right half.
Item {
    id: _snarea

    // the search field
    readonly property alias searchBar: _searchBar
    // the profile area
    readonly property alias profilArea: _profilArea

    // out: a keyword from the search field
    signal searchArea(string keyword, bool livesearch)
    // in: puts the keyboard focus into the search field
    signal activateSearchBar()
    // in: the login succeeded; the profile loads the user record
    signal apiConnected()
    // out: the user signed out
    signal signOut()

    height: 110 * c_Scale

    // each time the bar appears (after a login) the user record is loaded again
    onVisibleChanged: if (visible) apiConnected()
    onActivateSearchBar: {
        console.log("activate searchbar")
        _searchBar.activcateSearch()
    }
    onApiConnected: _profilArea.apiSuccessConnected()

    // soft shadow below the bar
    Rectangle {
        anchors.top: _bar.bottom
        width: parent.width
        height: 8 * c_Scale
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#40000000" }
            GradientStop { position: 1.0; color: "#00000000" }
        }
    }

    Rectangle {
        id: _bar

        anchors.fill: parent
        color: Colors.c_grayish_white

        Row {
            anchors.fill: parent

            Controls.SearchBar {
                id: _searchBar

                width: parent.width / 2
                height: parent.height
                onSearch: _snarea.searchArea(keyword, livesearch)
            }
            Controls.ProfilArea {
                id: _profilArea

                width: parent.width / 2
                height: parent.height
                onSignOutClient: _snarea.signOut()
            }
        }
    }
}
