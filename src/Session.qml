import QtQml 2.15

import "../dynamic/variables.js" as Dynamic
import "./api/authentication.js" as ServiceAuthentication
import "./api/request.js" as Request

// The login state of the application, and its only owner: logs in and out
// against the backend and holds the session token. The login panel, the
// working surface and what it hands the session to bind to it; documents that
// are not handed it reach it through Dynamic, with which it registers itself.
// Lists and checks start when `loggedIn` turns true and stop when it turns false.
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

    // a login succeeded (every one, also a second while logged in)
    signal succeeded()
    // a login failed; kind "connection": no server answered, or it cannot
    // serve (503); kind "credentials": the backend refused the user
    signal failed(string kind)

    // Logs in with the Basic credential of `user` and `password`. Only the
    // request carries the password; nothing keeps it.
    function login(user, password) {
        _busy = true
        // Qt.btoa of Qt 5.15 encodes the UTF-8 bytes of its argument
        ServiceAuthentication.get_token(Qt.btoa(user + ":" + password), function (reply, status) {
            _busy = false
            if (Request.isRecord(reply) && typeof reply.token === "string") {
                _token = reply.token
                _userName = user
                _loggedIn = true
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

    // Revokes the token on the backend; logged out once it has answered, whatever it says.
    function logout() {
        ServiceAuthentication.revoke_token(_token, function (status) {
            _loggedIn = false
        })
    }

    Component.onCompleted: Dynamic.register(_session)
    Component.onDestruction: Dynamic.unregister(_session)

    property bool _loggedIn: false
    property bool _busy: false
    property string _userName: ""
    property string _token: ""
}
