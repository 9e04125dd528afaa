import QtQml 2.15
import DraftStore 1.0

import "../../static/NotificationState.js" as NotificationState

// What the user typed into a form and has not saved yet, kept on this machine
// (DraftStore) a moment after the last change, so that a crash, a restart or a
// closed window loses nothing. While `active`, the form's fields as
// `capture()` returns them are watched; when it becomes active (for the owner
// and name it has then) the form is taken as untouched, and a draft kept for
// it is filled in and offered on `banner` with "Verwerfen". Hosts call
// remove() once the backend stored what the form held, and wrap the changes
// they make to the form themselves (loading catalogues, filling a record) in
// hostChange(), so that only the user's typing makes a draft.
QtObject {
    id: _draft

    // the user whose draft it is (the session's user name); none without one
    property string owner: ""
    // the draft's name among the owner's: the form, and for a change the record's id ("order-17")
    property string name: ""
    // false: nothing is watched, kept or offered (a change popup until its record is shown)
    property bool active: true
    // returns the form's fields as a plain object (what is kept; never a password or token)
    property var capture: null
    // fills the form from such an object
    property var apply: null
    // puts the form back to its untouched state ("Verwerfen")
    property var reset: null
    // the NotificationBanner that offers a restored draft; null: none is shown
    property var banner: null
    // milliseconds between the last change and the write
    property int delay: 700
    // true while the form holds changes of the user that a draft keeps
    readonly property bool pending: _written || _timer.running
    // {owner, name} of the draft watched now; null while nothing is watched
    readonly property var watched: _watched

    // a draft was filled into the form
    signal restored()

    // Removes the draft: the form's contents were stored, or are thrown away.
    // What the form shows now counts as untouched. `which` ({owner, name}, as
    // `watched` was when the save began) names a draft that may no longer be
    // watched (a popup closed while its save was under way); omitted: the one
    // watched now.
    function remove(which) {
        if (which && (!_watched || which.owner !== _watched.owner || which.name !== _watched.name)) {
            DraftStore.remove(which.owner, which.name)
            return
        }
        _timer.stop()
        if (_watched)
            DraftStore.remove(_watched.owner, _watched.name)
        _written = false
        _baseline = _now()
    }

    // "Verwerfen": the form back to its untouched state, and the draft removed.
    function discard() {
        if (reset)
            hostChange(reset)
        remove()
    }

    // Runs `change`, a change of the form that the host makes itself. It makes
    // no draft; while a draft is pending it is kept with the change.
    function hostChange(change) {
        // typed before: a draft on disk, or a change waiting for the timer
        var typed = _written || (_timer.running && _now() !== _baseline)
        _quiet = true
        try {
            change()
        } finally {
            _quiet = false
        }
        if (typed) {
            _timer.restart()
        } else {
            _timer.stop()
            _baseline = _now()
        }
    }

    // the owner and name while active; "" while nothing is watched
    readonly property string _key: active && owner !== "" && name !== "" ? owner + "\n" + name : ""
    // the form's fields as JSON while active; a binding, so that every field
    // capture() reads is watched
    readonly property string _snapshot: _key !== "" && capture ? JSON.stringify(capture()) : ""
    // the fields as the form showed them untouched
    property string _baseline: ""
    // a draft of the current owner and name lies on disk
    property bool _written: false
    property bool _quiet: false
    // owner and name of the watched draft, kept to write a change that is
    // still waiting when watching ends
    property var _watched: null
    property string _last: ""
    // the message offering the restored draft, to know its button
    property var _offer: null
    property bool _complete: false

    // the form's fields as JSON now (the binding above may not have followed
    // a change yet when a handler of the same change runs)
    function _now() {
        return _key !== "" && capture ? JSON.stringify(capture()) : ""
    }

    function _begin() {
        // what changed before watching began was the form being built
        _timer.stop()
        _watched = { owner: owner, name: name }
        _baseline = _now()
        _last = _baseline
        _written = false
        var text = DraftStore.read(owner, name)
        if (text === "")
            return
        var fields = null
        try {
            fields = JSON.parse(text)
        } catch (error) {
            fields = null
        }
        if (fields === null || typeof fields !== "object" || !apply) {
            // unreadable: nothing can be offered from it
            DraftStore.remove(owner, name)
            return
        }
        var untouched = _baseline
        hostChange(function () { apply(fields) })
        _baseline = untouched
        _written = true
        _last = _now()
        if (banner) {
            _offer = [qsTr("Entwurf wiederhergestellt"),
                      qsTr("Die ungespeicherte Eingabe wurde wiederhergestellt."),
                      NotificationState.INFO, qsTr("Verwerfen")]
            banner.run = false
            banner.settings = _offer
            banner.run = true
        }
        restored()
    }

    // writes what waits for the watched draft, or removes it when the form is untouched again
    function _store(snapshot) {
        if (!_watched)
            return
        if (snapshot === _baseline) {
            DraftStore.remove(_watched.owner, _watched.name)
            _written = false
        } else {
            _written = DraftStore.write(_watched.owner, _watched.name, snapshot) || _written
        }
    }

    on_KeyChanged: {
        // a change still waiting belongs to the draft watched so far
        if (_timer.running) {
            _timer.stop()
            _store(_last)
        }
        _watched = null
        _offer = null
        if (_key !== "" && _complete)
            _begin()
    }

    on_SnapshotChanged: {
        if (_key === "")
            return
        _last = _snapshot
        if (!_quiet)
            _timer.restart()
    }

    property Timer _timer: Timer {
        interval: _draft.delay
        onTriggered: _draft._store(_draft._key !== "" ? _draft._now() : _draft._last)
    }

    // "Verwerfen" on the banner that offers this draft
    property Connections _offered: Connections {
        target: _draft.banner

        function onActionTriggered() {
            if (_draft._offer !== null && JSON.stringify(_draft.banner.settings) === JSON.stringify(_draft._offer)) {
                _draft._offer = null
                _draft.discard()
            }
        }
    }

    // once the form beside it is complete too
    Component.onCompleted: Qt.callLater(function () {
        _complete = true
        if (_key !== "" && !_watched)
            _begin()
    })
}
