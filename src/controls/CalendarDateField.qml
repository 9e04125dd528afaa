import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls 1.4 as Controls1
import QtQuick.Controls.Styles 1.4
import QtQuick.Layouts 1.15
import QtQuick.Window 2.15

import "../../static"
import "../../static/colors.js" as Colors

// A read-only date field with its label above it and a calendar that opens
// directly below it: when the field gets the keyboard focus, and on each
// click (which opens or closes it). Clicking a day, or Return on the day the
// arrow keys chose, writes it as "dd.MM.yyyy" and closes the calendar;
// Escape or a click elsewhere closes it as well. The calendar lies above
// everything around it and shows the field's date.
ColumnLayout {
    id: _cell

    // the label's text
    property alias label: _label.text
    // the label's colour
    property alias labelColor: _label.color
    // the date as written ("dd.MM.yyyy"), or empty
    property alias text: _input.text
    // whether the calendar is shown
    readonly property alias calendarOpen: _popup.visible
    // the calendar itself
    readonly property alias calendar: _calendar
    // the text field itself
    readonly property alias field: _input

    // Writes `date` into the field and closes the calendar.
    function pick(date) {
        _input.text = date.toLocaleDateString(Qt.locale(), "dd.MM.yyyy")
        _popup.close()
    }

    // Opens the calendar on the field's date (today when there is none).
    function openCalendar() {
        var shown = Date.fromLocaleDateString(Qt.locale(), _input.text, "dd.MM.yyyy")
        _calendar.selectedDate = isNaN(shown.getTime()) ? new Date() : shown
        _popup.open()
    }

    // Closes the calendar.
    function closeCalendar() {
        _popup.close()
    }

    function _closeUnlessInCalendar() {
        for (var item = _input.Window.activeFocusItem; item; item = item.parent) {
            if (item === _input || item === _calendar)
                return
        }
        closeCalendar()
    }

    spacing: 2 * c_Scale

    FormLabel {
        id: _label

        Layout.fillWidth: true
    }

    TextField {
        id: _input

        objectName: "dateInput"
        Layout.fillWidth: true
        readOnly: true
        Accessible.name: _label.text

        // Tab on to the next field closes it; a click into the calendar does not
        onActiveFocusChanged: {
            if (activeFocus)
                _cell.openCalendar()
            else
                Qt.callLater(_cell._closeUnlessInCalendar)
        }
        // while the calendar is open the keys are its own: the arrows move the
        // day, Return takes it, Escape closes the calendar (and nothing else)
        Keys.forwardTo: _popup.visible ? [_calendar] : []
        Keys.onEscapePressed: {
            event.accepted = _popup.visible
            _cell.closeCalendar()
        }
        Keys.onReturnPressed: {
            if (_popup.visible)
                _cell.pick(_calendar.selectedDate)
            else
                event.accepted = false
        }
        Keys.onEnterPressed: {
            if (_popup.visible)
                _cell.pick(_calendar.selectedDate)
            else
                event.accepted = false
        }

        // a click only opens or closes the calendar (it does not take the
        // focus, which would open it a second time)
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onReleased: {
                if (_popup.visible)
                    _cell.closeCalendar()
                else
                    _cell.openCalendar()
            }
        }

        Popup {
            id: _popup

            y: _input.height
            NoShadowLayer { target: _popup.background }
            padding: 0
            // exactly the calendar: no strip of the popup's own background below the days
            contentWidth: _calendar.width
            contentHeight: _calendar.height
            // a press on the field itself is the field's to handle
            closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
            enter: null
            exit: null

            Controls1.Calendar {
                id: _calendar

                objectName: "calendar"
                width: 360 * c_Scale
                height: 300 * c_Scale
                weekNumbersVisible: true
                style: CalendarStyle {
                    gridVisible: false
                    // month and year in the application's scale, never cut: the
                    // title shrinks before it would end in an ellipsis
                    navigationBar: Rectangle {
                        implicitHeight: 44 * c_Scale
                        color: "#f9f9f9"

                        Text {
                            id: _previous

                            objectName: "previousMonth"
                            anchors.left: parent.left
                            width: parent.height
                            height: parent.height
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                            font.family: CustomFonts.names.fontAwesomeRegular
                            font.bold: true
                            font.pixelSize: 20 * c_Scale
                            color: Colors.c_nav_font
                            text: "\uf104"

                            MouseArea {
                                anchors.fill: parent
                                onClicked: control.showPreviousMonth()
                            }
                        }

                        Text {
                            objectName: "monthTitle"
                            anchors.left: _previous.right
                            anchors.right: _next.left
                            anchors.verticalCenter: parent.verticalCenter
                            horizontalAlignment: Text.AlignHCenter
                            textFormat: Text.PlainText
                            fontSizeMode: Text.HorizontalFit
                            minimumPixelSize: 8
                            font.family: CustomFonts.names.nunitoSans
                            font.pixelSize: 20 * c_Scale
                            color: Colors.c_form_font
                            text: styleData.title
                        }

                        Text {
                            id: _next

                            objectName: "nextMonth"
                            anchors.right: parent.right
                            width: parent.height
                            height: parent.height
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                            font.family: CustomFonts.names.fontAwesomeRegular
                            font.bold: true
                            font.pixelSize: 20 * c_Scale
                            color: Colors.c_nav_font
                            text: "\uf105"

                            MouseArea {
                                anchors.fill: parent
                                onClicked: control.showNextMonth()
                            }
                        }

                        Rectangle {
                            anchors.bottom: parent.bottom
                            width: parent.width
                            height: 1
                            color: "#dddddd"
                        }
                    }
                    // days, weekdays and week numbers in one size, the application's
                    dayDelegate: Rectangle {
                        color: styleData.selected ? Colors.c_light_purple : "transparent"

                        Text {
                            anchors.centerIn: parent
                            font.family: CustomFonts.names.nunitoSans
                            font.pixelSize: 15 * c_Scale
                            color: styleData.selected ? "#ffffff"
                                                      : styleData.visibleMonth ? Colors.c_form_font : "#aaaaaa"
                            text: styleData.date.getDate()
                        }
                    }
                    dayOfWeekDelegate: Item {
                        implicitHeight: 30 * c_Scale

                        Text {
                            anchors.centerIn: parent
                            font.family: CustomFonts.names.nunitoSans
                            font.bold: true
                            font.pixelSize: 13 * c_Scale
                            color: Colors.c_nav_font
                            text: control.__locale.dayName(styleData.dayOfWeek, control.dayOfWeekFormat)
                        }
                    }
                    weekNumberDelegate: Item {
                        implicitWidth: 30 * c_Scale

                        Text {
                            anchors.centerIn: parent
                            font.family: CustomFonts.names.nunitoSans
                            font.pixelSize: 13 * c_Scale
                            color: Colors.c_nav_font
                            text: styleData.weekNumber
                        }
                    }
                }

                onClicked: _cell.pick(date)
            }
        }
    }
}
