import QtQuick 2.15
import QtTest 1.15

import "../../src"
import "../../src/api/authentication.js" as ServiceAuthentication

// A test case that talks to the reference server: calls a service function,
// waits for its reply, and reads the request that went over the wire.
TestCase {
    // The demo user's Basic credential.
    readonly property string demoLogin: Qt.btoa("demo:vendrix-demo")

    // Calls fn(args..., cb) and returns the first value cb received.
    function reply(fn, args) {
        return replies(fn, args, 0)[0]
    }

    // Calls fn(args..., cb), waits for the first callback and `settleMs` more,
    // and returns every value cb received in that time.
    function replies(fn, args, settleMs) {
        var received = []
        fn.apply(null, args.concat([function (value) { received.push(value) }]))
        tryVerify(function () { return received.length > 0 }, 10000, "the callback was not called")
        if (settleMs > 0)
            wait(settleMs)
        return received
    }

    // Calls fn(args..., cb); returns {value, request} with the one request recorded meanwhile.
    function exchange(fn, args) {
        testServer.clearRecords()
        var value = reply(fn, args)
        var records = testServer.records()
        compare(records.length, 1, "exactly one request")
        return { value: value, request: records[0] }
    }

    // A fresh session token of the demo user.
    function login() {
        var answer = reply(ServiceAuthentication.get_token, [demoLogin])
        verify(answer && typeof answer.token === "string" && answer.token.length > 0, "demo login")
        return answer.token
    }

    // The session of the documents under test, as the root panel's: they
    // read its token (the views it is handed, and Dynamic). Null until a test
    // asks for it, so that a case with a root panel of its own has that
    // panel's session alone.
    property Session session: null

    // The session, made logged out when there is none yet.
    function useSession() {
        if (session === null)
            session = _sessionComponent.createObject(this)
        return session
    }

    // Logs the session in as the demo user (again, when it is logged in:
    // a fresh token); returns its token.
    function logInSession() {
        var s = useSession()
        var done = false
        var succeeded = function () { done = true }
        s.succeeded.connect(succeeded)
        s.login("demo", "vendrix-demo")
        tryVerify(function () { return done }, 10000, "the session logged in")
        s.succeeded.disconnect(succeeded)
        return s.token
    }

    // Logs the session out (the backend revokes its token) and waits until it is.
    function logOutSession() {
        if (session === null || !session.loggedIn)
            return
        session.logout()
        tryCompare(session, "loggedIn", false, 10000, "the session logged out")
    }

    Component {
        id: _sessionComponent
        Session {}
    }

    // The value of the header `name` of a recorded request, or undefined.
    function header(request, name) {
        for (var i = 0; i < request.headers.length; ++i) {
            if (request.headers[i][0].toLowerCase() === name.toLowerCase())
                return request.headers[i][1]
        }
        return undefined
    }

    // The media type of a recorded request's Content-Type (the engine appends
    // ";charset=UTF-8" to what the library sets when it sends a body).
    function contentType(request) {
        var value = header(request, "Content-Type")
        return value === undefined ? undefined : value.split(";")[0]
    }

    // Checks verb, path, query, the JSON headers and the bearer token of a recorded request.
    function verifyRequest(request, method, path, query, token) {
        compare(request.method, method)
        compare(request.path, path)
        compare(request.query, query)
        compare(header(request, "Authorization"), "Bearer " + token)
        compare(header(request, "Accept"), "application/json")
        if (method === "DELETE")
            compare(header(request, "Content-Type"), undefined, "a delete announces no content")
        else
            compare(contentType(request), "application/json")
    }

    // Runs `calls` (a function) while the server is down, then brings it back.
    function whileServerIsDown(calls) {
        testServer.stop()
        try {
            calls()
        } finally {
            verify(testServer.start(), "server back up")
        }
    }

    // Expects the log line of an unreadable reply.
    function expectUnreadableReply() {
        ignoreWarning(new RegExp("^Reply of .* could not be read: "))
    }

    // The demo user's session token for the whole test case: the session's.
    property string token: ""

    // Asserts that a test runs against a live server, and logs the session in once.
    function initTestCase() {
        verify(testServer.running, "the reference server runs")
        token = logInSession()
    }
}
