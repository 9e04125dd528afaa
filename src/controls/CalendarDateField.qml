import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls 1.4 as Controls1
import QtQuick.Controls.Styles 1.4
import QtQuick.Layouts 1.15

// A read-only date field with its label above it and a calendar that opens
// directly below it: when the field gets the keyboard focus, and on each
// click (which opens or closes it). Clicking a day writes it as "dd.MM.yyyy"
// and closes the calendar; Escape or a click elsewhere closes it as well. The
// calendar lies above everything around it and shows the field's date.
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

        onActiveFocusChanged: if (activeFocus) _cell.openCalendar()
        Keys.onEscapePressed: _cell.closeCalendar()

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
            padding: 0
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
                }

                onClicked: _cell.pick(date)
            }
        }
    }
}
