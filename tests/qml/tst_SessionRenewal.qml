import QtQuick 2.15
import QtTest 1.15

import "../../src/api/authentication.js" as ServiceAuthentication
import "../../src/api/service_customer.js" as ServiceCustomer
import "../../src/api/service_user.js" as ServiceUser

// A session the backend ends (idle too long, revoked elsewhere, or a 401 from
// whatever stands in between) is renewed by a login of its user: the requests
// that met the refusal, and those started meanwhile, go out once more with the
// new token and their callers get that answer, once; giving up fails them.
ServiceTestCase {
    id: _case
    name: "SessionRenewal"

    function init() {
        cannedServer.clearAnswers()
        if (!session.loggedIn || session.expired)
            logInSession()
        testServer.clearRecords()
    }

    function cleanup() {
        if (session.expired)
            session.endRenewal()
        if (shortIdle)
            verify(testServer.restart([]))
        shortIdle = false
    }

    // the server runs with a short idle timeout
    property bool shortIdle: false

    // the requests of `path` that reached the reference server, as "token" of each
    function sentTokens(path) {
        return testServer.records().filter(function (r) { return r.path === path }).map(function (r) {
            return header(r, "Authorization").substring(7)
        })
    }

    // Calls fn(args..., cb) and returns the list the callback's values arrive in.
    function start(fn, args) {
        var received = []
        fn.apply(null, args.concat([function (value, status) { received.push([value, status]) }]))
        return received
    }

    function renew() {
        var old = session.token
        session.login("demo", "vendrix-demo")
        // a replay refused again may end the session again at once
        tryVerify(function () { return session.token !== old }, 10000, "renewed with a new token")
        return session.token
    }

    function test_endedSessionIsRenewedAndTheRequestSentOnce_data() {
        return [
            { tag: "idle timeout", spoil: function () {
                shortIdle = true
                verify(testServer.restart(["--token-idle-timeout", "1"]))
                logInSession()
                wait(2200)
            } },
            { tag: "revoked from another session", spoil: function () {
                compare(reply(ServiceAuthentication.revoke_token, [session.token]), 200)
            } },
            { tag: "a 401 from in between", spoil: function () {
                cannedServer.answer("/me", 401, '{"error": "token expired"}')
            } },
            { tag: "a 401 without a body", spoil: function () {
                cannedServer.answer("/me", 401, "")
            } }
        ]
    }

    function test_endedSessionIsRenewedAndTheRequestSentOnce(data) {
        data.spoil()
        testServer.clearRecords()
        var received = start(ServiceUser.get_me, [session.token])
        tryVerify(function () { return session.expired }, 10000, "the session has ended")
        verify(session.loggedIn, "the surface stays")
        wait(200)
        compare(received.length, 0, "the caller waits")
        var renewed = renew()
        tryVerify(function () { return received.length === 1 }, 10000)
        wait(200)
        compare(received.length, 1, "answered once")
        compare(received[0][0].surname, "Erika")
        compare(received[0][1], 200)
        compare(sentTokens("/me").filter(function (t) { return t === renewed }).length, 1, "sent once more")
    }

    // Several refused at once, and one started while the session waits: one
    // expiry, one login, each sent once more with the new token.
    function test_severalRequestsOneLogin() {
        var ended = session.token
        compare(reply(ServiceAuthentication.revoke_token, [ended]), 200)
        testServer.clearRecords()
        var expiries = createTemporaryObject(_spyComponent, _case, { target: session, signalName: "expiredChanged" })
        var calls = [start(ServiceCustomer.get_customers, [1, ended]), start(ServiceCustomer.get_customers, [2, ended]),
                     start(ServiceUser.get_me, [ended])]
        tryCompare(session, "waitingRequests", 3, 10000)
        calls.push(start(ServiceUser.get_me, [ended]))
        compare(session.waitingRequests, 4)
        compare(sentTokens("/me").length, 1, "the one started while waiting is held back")
        compare(expiries.count, 1, "one expiry")

        testServer.clearRecords()
        var renewed = renew()
        tryVerify(function () { return calls.every(function (c) { return c.length === 1 }) }, 10000, "all answered")
        wait(200)
        compare(calls.map(function (c) { return c.length + " " + c[0][1] }), ["1 200", "1 200", "1 200", "1 200"])
        verify(calls[1][0][0].length > 0, "the second page")
        compare(sentTokens("/customer"), [renewed, renewed])
        compare(sentTokens("/me"), [renewed, renewed])
        compare(expiries.count, 2, "expired once, renewed once")
    }

    // A replay refused again waits for the next login instead of going round.
    function test_refusedReplayWaitsForTheNextLogin() {
        var canned = function () {
            return cannedServer.requestedPaths().filter(function (p) { return p === "/me" }).length
        }
        var before = canned()
        cannedServer.answer("/me", 401, '{"error": "token expired"}')
        cannedServer.answer("/me", 401, '{"error": "token expired"}')
        var received = start(ServiceUser.get_me, [session.token])
        tryVerify(function () { return session.expired }, 10000)
        renew()
        tryVerify(function () { return session.expired }, 10000, "ended again")
        compare(canned() - before, 2)
        compare(received.length, 0)
        var last = renew()
        tryVerify(function () { return received.length === 1 }, 10000)
        compare(received[0][1], 200)
        compare(sentTokens("/me"), [last])
    }

    // Giving up fails every waiting request once, as the refusal says, and logs out;
    // a deliberate logout is never taken for an ended session.
    function test_givingUpFailsTheWaitingOnes() {
        cannedServer.answer("/me", 401, '{"error": "token expired"}')
        var refused = start(ServiceUser.get_me, [session.token])
        tryVerify(function () { return session.expired }, 10000)
        var queued = start(ServiceCustomer.get_customers, [1, session.token])
        session.endRenewal()
        compare(session.loggedIn, false)
        compare(session.expired, false)
        compare(refused, [[{ "error": "token expired" }, 401]])
        compare(queued, [[-1, 401]])
        wait(300)
        compare(refused.length + queued.length, 2, "once each")
        compare(sentTokens("/customer").length, 0)

        logInSession()
        var token = session.token
        logOutSession()
        compare(reply(ServiceUser.get_me, [token]).error !== undefined, true, "refused as it is")
        verify(!session.expired, "a logout is not an ended session")
    }

    Component {
        id: _spyComponent
        SignalSpy {}
    }
}
