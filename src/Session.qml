import QtQml 2.15

import "../dynamic/variables.js" as Dynamic
import "./api/authentication.js" as ServiceAuthentication
import "./api/request.js" as Request

// The login state of the application, and its only owner: logs in and out
// against the backend and holds the session token. The login panel, the
// working surface and what it hands the session to bind to it; documents that
// are not handed it reach it through Dynamic, with which it registers itself.
// Lists and checks start when `loggedIn` turns true and stop when it turns false.
// When the backend ends the session (a request meets 401) the session stays
// logged in but `expired`: the requests of its token wait until the same user
// logs in again (renew) and are then sent once more with the new token, or
// fail when the user gives up (endRenewal), which logs out.
QtObject {
    id: _session

    // true from a successful login until the logout has been answered
    readonly property bool loggedIn: _loggedIn
    // true while a login request is outstanding
    readonly property bool busy: _busy
    // the user name of the last successful login; "" before
    readonly property string userName: _userName
    // the bearer token of the last successful login; "" before, kept by a logout
    readonly property string token: _token
    // true from the backend's refusal of the token until a login renews the
    // session or the user gives up; the working surface stays as it is meanwhile
    readonly property bool expired: _expired
    // requests waiting for the renewal
    readonly property int waitingRequests: _waiting.length

    // a login succeeded (every one, also a second while logged in), except one that renews
    signal succeeded()
    // a login renewed the expired session; the waiting requests go out again
    signal renewed()
    // a login failed; kind "connection": no server answered, or it cannot
    // serve (503); kind "credentials": the backend refused the user
    signal failed(string kind)

    // Logs in with the Basic credential of `user` and `password`. Only the
    // request carries the password; nothing keeps it. An expired session is
    // renewed only by its own user: the panel does not let the name change,
    // and another name is refused without asking the backend.
    function login(user, password) {
        if (_expired && user !== _userName) {
            failed("credentials")
            return
        }
        _busy = true
        // Qt.btoa of Qt 5.15 encodes the UTF-8 bytes of its argument
        ServiceAuthentication.get_token(Qt.btoa(user + ":" + password), function (reply, status) {
            _busy = false
            if (Request.isRecord(reply) && typeof reply.token === "string") {
                _token = reply.token
                _userName = user
                _loggedIn = true
                if (_expired)
                    _renew()
                else
                    succeeded()
            } else if (reply === "503" || status === 0) {
                // a request that reached no server is a connection problem,
                // not wrong credentials
                failed("connection")
            } else {
                failed("credentials")
            }
        })
    }

    // Revokes the token on the backend; logged out once it has answered,
    // whatever it says (at once for an expired session: see endRenewal).
    function logout() {
        if (_expired) {
            endRenewal()
            return
        }
        _loggingOut = true
        _endedTokens = []
        ServiceAuthentication.revoke_token(_token, function (status) {
            _loggingOut = false
            _loggedIn = false
        })
    }

    // The user does not log in again: the waiting requests fail as their
    // refusal said, and the session is logged out at once (the backend is
    // still told, should the token live on there).
    function endRenewal() {
        if (!_expired)
            return
        var waiting = _waiting
        _waiting = []
        // logged out first: what follows `expired` sees a session given up, not renewed
        _loggedIn = false
        _expired = false
        _endedTokens = []
        for (var i = 0; i < waiting.length; ++i)
            waiting[i].giveUp()
        ServiceAuthentication.revoke_token(_token, function (status) {})
    }

    // Whether `token` is this session's: the current one, or one the backend
    // ended and a login has renewed since.
    function owns(token) {
        return token !== "" && (token === _token || _endedTokens.indexOf(token) >= 0)
    }

    // For the request core: a request sent with `token` met 401, or is about to
    // be sent while the session is expired. Returns true when the session takes
    // it: resend(newToken) once the session is renewed (at once when it has
    // been renewed since the request went out), or giveUp() when the user
    // logs out instead. False while logged out or logging out, and for a
    // token of another: the caller gets its answer as it is.
    function waitForRenewal(token, resend, giveUp) {
        if (!_loggedIn || _loggingOut || !owns(token))
            return false
        if (token !== _token && !_expired) {
            resend(_token)
            return true
        }
        if (!_expired) {
            _endedTokens.push(token)
            _expired = true
        }
        _waiting = _waiting.concat([{ resend: resend, giveUp: giveUp }])
        return true
    }

    function _renew() {
        var waiting = _waiting
        _waiting = []
        _expired = false
        renewed()
        for (var i = 0; i < waiting.length; ++i)
            waiting[i].resend(_token)
    }

    Component.onCompleted: Dynamic.register(_session)
    Component.onDestruction: Dynamic.unregister(_session)

    property bool _loggedIn: false
    property bool _busy: false
    property string _userName: ""
    property string _token: ""
    property bool _expired: false
    property bool _loggingOut: false
    // {resend, giveUp} of each request waiting for the renewal, oldest first
    property var _waiting: []
    // the tokens the backend ended while this session held them, since the last logout
    property var _endedTokens: []
}
