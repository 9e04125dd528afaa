import QtQml 2.15

import "../static/NotificationState.js" as NotificationState

// The working surface's one way to the banner over the whole window. Any
// document that holds it asks for a message with notify([title, text, state]);
// the root panel shows it.
QtObject {
    // a message was asked for: [title, text, state]; `delay` is a display time
    // in ms, or undefined to keep the banner's
    signal notified(var settings, var delay)

    // asks for a banner; `state` is a NotificationState value; `delay` (ms) is
    // optional and stays with the banner for its later messages
    function notify(settings, delay) {
        notified(settings, delay)
    }

    // the backend could not be reached, or cannot serve: the banner for 7 s
    function notifyConnectionProblem() {
        notify([qsTr("Internet oder API Verbindung"),
                qsTr("Überprüfen Sie Ihre Internetverbindung oder kontaktieren Sie den \"Master of Disaster\" für eventuelle API Probleme"),
                NotificationState.ERROR], 7000)
    }
}
