import QtQml 2.15
import PasswordStore 1.0

import "../static/ConfigStorage.js" as ConfigStorage
import "../static/NotificationState.js" as NotificationState

// What the login panel remembers between starts: user name, company and the
// box "Anmeldedaten Speichern" in the settings store, and the password. The
// password lives in the desktop's keyring under the user name, never in the
// settings store; one that an earlier version left in the settings store
// moves to the keyring and is wiped there. Where the keyring cannot take a
// password it is kept nowhere, and the notifier says so once.
QtObject {
    id: _memory

    // the keyring: read, store and remove as PasswordStore has them (tests put a stand-in here)
    property QtObject keyring: PasswordStore {}
    // takes the warning (a Notifier); null: nobody
    property var notifier: null

    // {user, company (index, -1: none), remembered (the box)} as last kept
    function settings() {
        var ticked = ConfigStorage.get(ConfigStorage.autologin, false)
        return { user: ConfigStorage.get(ConfigStorage.username, ""),
                 company: parseInt(ConfigStorage.get(ConfigStorage.company, -1), 10),
                 // the store gives a flag back as "1"
                 remembered: ticked === true || ticked === "1" }
    }

    // Keeps user and company, the box ticked.
    function keep(user, company) {
        ConfigStorage.set(ConfigStorage.username, user)
        ConfigStorage.set(ConfigStorage.company, company)
        ConfigStorage.set(ConfigStorage.autologin, true)
    }

    // Keeps the box unticked.
    function untick() {
        ConfigStorage.set(ConfigStorage.autologin, false)
    }

    // Calls cb(password) once the password remembered for `user` is known, and
    // not at all when there is none. `remembered`: the box was ticked last time.
    // A password left in the settings store comes back at once (and moves to
    // the keyring), one from the keyring later.
    function recall(user, remembered, cb) {
        var legacy = ConfigStorage.get(ConfigStorage.password, null)
        if (legacy === "") {
            ConfigStorage.remove(ConfigStorage.password)
        } else if (legacy !== null) {
            // wiped once the keyring has answered, whatever it says: no
            // clear-text copy stays, and the user is told when it went nowhere
            keyring.store(user, legacy, function (status) {
                ConfigStorage.remove(ConfigStorage.password)
                if (status !== PasswordStore.Ok)
                    _warn(qsTr("Kein Schlüsselbund erreichbar: das bisher gespeicherte Passwort wurde aus den Einstellungen entfernt"))
            })
            cb(legacy)
            return
        }
        if (!remembered)
            return
        keyring.read(user, function (status, password) {
            if (status === PasswordStore.Ok)
                cb(password)
        })
    }

    // Keeps `password` as the one of `user`.
    function remember(user, password) {
        keyring.store(user, password, function (status) {
            if (status !== PasswordStore.Ok)
                _warn(qsTr("Kein Schlüsselbund erreichbar: Benutzername und Firma bleiben gespeichert, das Passwort nicht"))
        })
    }

    // Removes the password kept for `user`.
    function forget(user) {
        keyring.remove(user)
    }

    // the warning has been shown
    property bool _warned: false

    function _warn(text) {
        if (_warned || !notifier)
            return
        _warned = true
        notifier.notify([qsTr("Passwort nicht gespeichert"), text, NotificationState.WARNING])
    }
}
