.pragma library

// The way to the session for the documents that are not handed it (one
// instance per engine). It holds no token of its own: the session object
// (src/Session.qml) registers itself here when it is created and leaves when
// it is destroyed, and getToken() asks it at the moment of each request. So
// the token has one holder, a later session can never be served an older
// session's copy, and the request side can reach the session object itself.

// the registered sessions, the newest last (the application has one; a test
// may make its own beside a root panel's)
var sessions = []

// Makes `session` the one the documents use, until it leaves.
function register(session) {
    unregister(session)
    sessions.push(session)
}

// `session` is gone; the one registered before it, if any, is used again.
function unregister(session) {
    var at = sessions.indexOf(session)
    if (at >= 0)
        sessions.splice(at, 1)
}

// The session the documents use (loggedIn, token, userName, ...), or null before there is one.
function session() {
    return sessions.length > 0 ? sessions[sessions.length - 1] : null
}

// The registered session that handed out `token` (its current one, or one that
// ended by the backend's word and has been renewed since), or null: a request
// sent with a token of no session here is not one the sessions answer for.
function sessionOf(token) {
    for (var i = sessions.length - 1; i >= 0; --i) {
        if (typeof sessions[i].owns === "function" && sessions[i].owns(token))
            return sessions[i]
    }
    return null
}

// Returns the session's token: that of its last successful login, "" before
// one. Logging out keeps it.
function getToken() {
    var current = session()
    return current ? current.token : ""
}
