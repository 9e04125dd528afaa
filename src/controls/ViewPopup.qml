import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtGraphicalEffects 1.15

// A modal popup that covers its view with a tinted backdrop and holds a
// centred panel in a scrollable area; only Escape and the view close it.
// Return presses its default button (see DefaultActionScope). The field with
// the keyboard focus is always scrolled into sight. It has its own banner and
// busy indicator, because the view's own lie beneath it while it is open.
Popup {
    id: _popup

    // the backdrop's colour, drawn at opacity 0.8
    property color backdropColor: "white"
    // the panel's colour
    property color panelColor: "white"
    // the panel's width: a good part of a wide view, and never wider than the view less its margins
    property real panelWidth: Math.min(width / (1.3 * c_Scale), width - 2 * panelPadding)
    // the smallest height of the scrollable content (it grows with the panel's content)
    property real scrollHeight: height
    // true while a request of the popup is outstanding
    property bool busy: false
    // the panel's contents, laid out by the popup's user
    default property alias panelContent: _content.data
    // the space between the panel's edge and its contents
    property real panelPadding: 40 * c_Scale
    // the scrollable area, for tests and for scrolling back to the top
    readonly property alias flickable: _flickable
    // the popup's banner
    readonly property alias banner: _banner
    // the button Return presses (a DefaultButton shows it); null: Return does nothing
    property alias defaultButton: _scope.defaultButton

    // Shows [title, text, state] on the popup's banner.
    function notify(settings) {
        _banner.settings = settings
        _banner.run = true
    }

    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    Material.theme: Material.Light

    // each opening starts at the top
    onAboutToShow: _flickable.contentY = 0

    // the keyboard goes back where it was when the popup closes
    property FocusReturn _focusReturn: FocusReturn { popup: _popup }

    // the backdrop covers the view, not the whole window
    Overlay.modal: Item {}

    background: Rectangle {
        color: _popup.backdropColor
        opacity: 0.8
    }

    contentItem: DefaultActionScope {
        id: _scope

        Flickable {
            id: _flickable

            objectName: "scrollArea"
            anchors.fill: parent
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            contentWidth: width
            contentHeight: Math.max(_popup.scrollHeight, _panel.height + 2 * _popup.panelPadding)

            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AlwaysOn
            }

            FocusScroller {
                flickable: _flickable
            }

            Rectangle {
                id: _panel

                objectName: "panel"
                x: Math.round((_flickable.width - width) / 2)
                // a panel lower than the view stands in its middle
                y: Math.max(_popup.panelPadding, Math.round((_flickable.height - height) / 2))
                width: _popup.panelWidth
                height: Math.max(_content.childrenRect.height + 2 * _popup.panelPadding,
                                 _popup.scrollHeight - 2 * _popup.panelPadding)
                color: _popup.panelColor
                // shaders draw the shadow; the software renderer has none (and a closed
                // popup, out of any window, does not know its renderer yet)
                layer.enabled: !c_SoftwareScene && GraphicsInfo.api !== GraphicsInfo.Software
                layer.effect: DropShadow {
                    radius: 12
                    samples: 25
                    verticalOffset: 3
                    color: "#60000000"
                }

                Item {
                    id: _content

                    objectName: "panelContent"
                    anchors.fill: parent
                    anchors.margins: _popup.panelPadding
                }
            }
        }

        BusySpinner {
            objectName: "busyIndicator"
            anchors.centerIn: parent
            running: _popup.busy
        }

        NotificationBanner {
            id: _banner

            objectName: "banner"
            anchors.fill: parent
        }
    }
}
