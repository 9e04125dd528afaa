import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../static"
import "../../static/NotificationState.js" as NotificationState

// A message bar that slides down from the top edge of its host, stays for the
// display time (shown by a growing load line) and slides up again. The host
// fills it over itself; only the bar itself takes clicks.
// Show a message: set `settings`, optionally `delay`, then `run = true`.
Item {
    id: _banner

    // [title, text, state] or [title, text, state, action]; they follow it at
    // once; `action` is the text of a button on the bar
    property var settings: ["", "", -1]
    // true starts the display time and opens the banner; false stops it and closes it
    property bool run: false
    // display time in milliseconds; -1 means 5000; kept for later messages
    property int delay: -1
    // whether the banner is visible at all
    property bool show: false
    // the bar's state: "opened" or "closed" (empty before the first message)
    property string notstate: ""

    // the display time a message started now would get
    readonly property int displayTime: delay === -1 ? 5000 : delay
    // the text of the current message's button; "" for none
    readonly property string actionText: settings && settings.length > 3 ? settings[3] : ""
    // the state of the current settings (a NotificationState value)
    readonly property int barState: settings && settings.length > 2 ? settings[2] : -1
    // colour of the bar for the current state; transparent for an unknown state
    readonly property color barColor: {
        switch (barState) {
        case NotificationState.INFO: return Material.color(Material.Blue)
        case NotificationState.SUCCESS: return Material.color(Material.Green)
        case NotificationState.WARNING: return Material.color(Material.Yellow)
        case NotificationState.ERROR: return Material.color(Material.Red)
        default: return "transparent"
        }
    }
    // colour of texts, icon and load line for the current state
    readonly property color textColor: barState === NotificationState.WARNING ? "#444444" : "#ffffff"
    // the state's icon (a Font Awesome code point); empty for an unknown state
    readonly property string icon: {
        switch (barState) {
        case NotificationState.INFO: return "\uf05a"
        case NotificationState.SUCCESS: return "\uf058"
        case NotificationState.WARNING: return "\uf06a"
        case NotificationState.ERROR: return "\uf057"
        default: return ""
        }
    }

    // the button of the current message was pressed; the banner closes
    signal actionTriggered()

    visible: show

    onRunChanged: {
        if (run) {
            if (!_timer.running) {
                // a message with a button stays long enough to reach it
                _timer.interval = actionText !== "" ? Math.max(displayTime, 15000) : displayTime
                _timer.start()
            }
        } else {
            _timer.stop()
        }
    }

    Timer {
        id: _timer

        repeat: false
        onTriggered: _banner.run = false
        onRunningChanged: {
            if (running) {
                _loadLine.width = 0
                _growth.duration = interval
                _growth.to = _bar.width
                _growth.start()
                _banner.show = true
                _banner.notstate = "opened"
            } else {
                _growth.stop()
                _loadLine.width = 0
                _banner.notstate = "closed"
            }
        }
    }

    Rectangle {
        id: _bar

        objectName: "bar"
        // an alert that comes into sight is read out by screen readers at once
        Accessible.role: Accessible.AlertMessage
        Accessible.name: _banner.settings ? [_banner.settings[0], _banner.settings[1]].filter(Boolean).join(": ") : ""
        width: parent.width
        // a longer text wraps, and the bar grows with it
        height: Math.max(70 * c_Scale, _texts.implicitHeight + 14 * c_Scale)
        y: -height
        color: _banner.barColor

        states: [
            State {
                name: "opened"
                when: _banner.notstate === "opened"
                PropertyChanges { target: _bar; y: 0 }
            },
            State {
                name: "closed"
                when: _banner.notstate === "closed"
                PropertyChanges { target: _bar; y: -_bar.height }
            }
        ]
        transitions: [
            Transition {
                to: "opened"
                NumberAnimation { property: "y"; duration: 200; easing.type: Easing.InCurve }
            },
            Transition {
                from: "opened"
                SequentialAnimation {
                    NumberAnimation { property: "y"; duration: 200; easing.type: Easing.OutCurve }
                    // a message started during the slide keeps the banner
                    ScriptAction { script: if (_banner.notstate === "closed") _banner.show = false }
                }
            }
        ]

        MouseArea {
            anchors.fill: parent
            onClicked: _banner.run = false
        }

        Column {
            id: _texts

            anchors.left: parent.left
            anchors.leftMargin: 50 * c_Scale
            anchors.right: _action.visible ? _action.left : _icon.left
            anchors.rightMargin: 20 * c_Scale
            anchors.verticalCenter: parent.verticalCenter

            Text {
                objectName: "title"
                width: parent.width
                elide: Text.ElideRight
                // messages may carry names and other data: never read as markup
                textFormat: Text.PlainText
                font.family: CustomFonts.names.nunitoSans
                font.bold: true
                font.pixelSize: 20 * c_Scale
                color: _banner.textColor
                text: _banner.settings ? _banner.settings[0] : ""
            }
            Text {
                objectName: "text"
                width: parent.width
                wrapMode: Text.Wrap
                maximumLineCount: 4
                elide: Text.ElideRight
                textFormat: Text.PlainText
                font.family: CustomFonts.names.nunitoSans
                font.pixelSize: 17 * c_Scale
                color: _banner.textColor
                text: _banner.settings ? _banner.settings[1] : ""
            }
        }

        Button {
            id: _action

            objectName: "action"
            anchors.right: _icon.left
            anchors.rightMargin: 20 * c_Scale
            anchors.verticalCenter: parent.verticalCenter
            visible: _banner.actionText !== ""
            text: _banner.actionText
            flat: true
            font.family: CustomFonts.names.nunitoSans
            font.bold: true
            font.pixelSize: 17 * c_Scale
            Material.foreground: _banner.textColor
            onClicked: {
                _banner.run = false
                _banner.actionTriggered()
            }
        }

        Text {
            id: _icon

            objectName: "icon"
            anchors.right: parent.right
            anchors.rightMargin: 50 * c_Scale
            anchors.verticalCenter: parent.verticalCenter
            font.family: CustomFonts.names.fontAwesomeRegular
            font.bold: true
            font.pixelSize: 40 * c_Scale
            color: _banner.textColor
            text: _banner.icon
        }

        Rectangle {
            id: _loadLine

            objectName: "loadLine"
            anchors.bottom: parent.bottom
            height: 2
            width: 0
            color: _banner.textColor

            NumberAnimation {
                id: _growth

                target: _loadLine
                property: "width"
                from: 0
                easing.type: Easing.OutSine
            }
        }
    }
}
