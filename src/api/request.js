.pragma library
.import "../../dynamic/variables.js" as Dynamic

// The one place where the service libraries talk to the backend: it opens the
// request, sets the headers, sends, reads the reply by the rule the calling
// function names, and calls the callback exactly once. A service function only
// says which verb, path, body and reply rule it uses.

var JSON_TYPE = "application/json"

// The value a caller receives for a failure the status shows (a page past the
// end, a search without hits, not found, not done) and for a reply that
// cannot be read.
var FAILED = -1

// "Content-Type", "Accept", "Authorization" - in this order.
function standardHeaders(p_Token) {
    return [["Content-Type", JSON_TYPE], ["Accept", JSON_TYPE], ["Authorization", "Bearer " + p_Token]]
}

// Deletes carry no body, so they do not announce a content type.
function deleteHeaders(p_Token) {
    return [["Accept", JSON_TYPE], ["Authorization", "Bearer " + p_Token]]
}

// True for a status of the 2xx family.
function isSuccess(status) {
    return status >= 200 && status < 300
}

// ---- reading what a callback received

// A list of records: a page, search hits, the rows of a check.
function isList(value) {
    return Array.isArray(value)
}

// One record: a JSON object that is not a list. (An error reply of the backend
// is an object as well; the rules that can meet one hand FAILED instead.)
function isRecord(value) {
    return value !== null && typeof value === "object" && !Array.isArray(value)
}

// A paged list asked past its last page.
function isEndOfPages(value) {
    return value === FAILED
}

// A search that found nothing.
function isNoHits(value) {
    return value === FAILED
}

// A failure: the status said so, or the reply could not be read.
function isFailure(value) {
    return value === FAILED
}

// ---- what became of a create or a change

// The backend stored it and its reply was read.
var STORED = "stored"
// The backend stored it (it answered 2xx), but its reply could not be read:
// what it stored, and the new record's id, are not known.
var STORED_UNREAD = "storedUnread"
// The backend answered that it did not store it (the reason comes with the reply).
var REFUSED = "refused"
// No answer came (the connection failed or dropped): the request may or may
// not have reached the backend.
var UNKNOWN = "unknown"

// What became of a create or a change, from what its callback received: the
// value (FAILED for a failure) and the HTTP status. A 2xx status always means
// stored, whatever the body.
function storeOutcome(value, status) {
    if (status === 0)
        return UNKNOWN
    if (!isSuccess(status))
        return REFUSED
    return isFailure(value) ? STORED_UNREAD : STORED
}

// `text`, followed by the backend's reason when it gave one.
function withReason(text, reason) {
    return reason ? text + ": " + reason : text
}

// ---- the reason of a refusal

// The most characters of a backend's reason that reach the user.
var REASON_LENGTH = 200

// The reason an error reply gives in its body ({"error": text}), as one line
// of plain text of at most REASON_LENGTH characters; "" for a success, no
// answer, or a body that gives none (an error page of a proxy, for one).
function reasonOf(xhr) {
    if (isSuccess(xhr.status) || xhr.status === 0)
        return ""
    var body
    try {
        body = JSON.parse(xhr.responseText)
    } catch (error) {
        return ""
    }
    if (!isRecord(body) || typeof body.error !== "string")
        return ""
    // control characters and direction overrides would garble the line
    var line = body.error.replace(/[\u0000-\u001f\u007f-\u009f\u2028\u2029\u202a-\u202e\u2066-\u2069]+/g, " ").trim()
    return line.length > REASON_LENGTH ? line.substring(0, REASON_LENGTH - 1) + "\u2026" : line
}

// ---- reply rules: each reads a finished request and returns what the caller gets.
// A rule may throw (an unparsable body); the caller then gets the rule's
// `failure` value, or FAILED.

// The parsed reply, whatever the status (an error reply reaches the caller as parsed).
function parse(xhr) {
    return JSON.parse(xhr.responseText)
}

// One page of a paged list, or FAILED past the last page (answered 400).
function pageOrEnd(xhr) {
    return xhr.status === 400 ? FAILED : parse(xhr)
}

// The hits of a search, or FAILED without hits (answered 204 and an empty body).
function hitsOrNone(xhr) {
    return xhr.status === 204 ? FAILED : parse(xhr)
}

// The record asked for, or FAILED when the backend does not know it (406; the
// body is read first all the same).
function recordOrNotFound(xhr) {
    var reply = parse(xhr)
    return xhr.status === 406 ? FAILED : reply
}

// The reply of an update the backend accepted with 200, else FAILED (the body
// is read first all the same).
function updated(xhr) {
    var reply = parse(xhr)
    return xhr.status === 200 ? reply : FAILED
}

// The new record of a create the backend accepted, else FAILED.
function created(xhr) {
    return isSuccess(xhr.status) ? parse(xhr) : FAILED
}

// 0 when the backend confirmed with exactly 200, else FAILED; the body is not read.
function confirmed(xhr) {
    return xhr.status === 200 ? 0 : FAILED
}

// 0 when the backend confirmed the delete (any 2xx), else FAILED (406, errors,
// no connection).
function deleted(xhr) {
    return isSuccess(xhr.status) ? 0 : FAILED
}

// The status code itself, whatever it is (0 without a connection).
function statusCode(xhr) {
    return xhr.status
}

// The raw reply bytes of a successful request, else FAILED (never an error page).
function bytes(xhr) {
    return isSuccess(xhr.status) ? xhr.response : FAILED
}

// Logs the status under `name`, then applies `rule`.
function logStatus(name, rule) {
    return function (xhr) {
        console.log(name + " status " + xhr.status)
        return rule(xhr)
    }
}

// ---- bodies

// A request body: the values of `record` under `keys`, in the order of `keys`
// (the backend's), each as given. A value left undefined leaves its key out,
// as JSON has no undefined.
function bodyOf(keys, record) {
    var body = {}
    for (var i = 0; i < keys.length; ++i)
        body[keys[i]] = record[keys[i]]
    return body
}

// Calls `fn`, which takes a body as one record, for a function that takes the
// body's values by position and was called with `args`: the arguments before
// `first` as they are, the values from `first` on as one record under `keys`,
// then the arguments after them.
function callWithRecord(fn, keys, args, first) {
    var record = {}
    for (var i = 0; i < keys.length; ++i)
        record[keys[i]] = args[first + i]
    var before = Array.prototype.slice.call(args, 0, first)
    var after = Array.prototype.slice.call(args, first + keys.length)
    return fn.apply(null, before.concat([record], after))
}

// ---- sending

// The engine's request object turns a finished 409 or 410 into a failed
// connection (status 0, no body), although both arrived whole: the backend
// refused, it did not vanish. Their status and text are still readable while
// the reply comes in, so they are kept from then. A 401 is kept the same way
// should the engine ever hide it: mistaken for a lost connection, an ended
// session would never be renewed.
var HIDDEN_STATUSES = [401, 409, 410]

// What an unfinished request shows of its reply so far; `before` when nothing yet.
// Only a hidden status needs its text: reading the text of every reply while
// it comes in would decode each body once more for nothing.
function earlyReply(xhr, responseType, before) {
    if (xhr.readyState < XMLHttpRequest.HEADERS_RECEIVED || xhr.status === 0)
        return before
    if (HIDDEN_STATUSES.indexOf(xhr.status) < 0)
        return before.status === xhr.status ? before : { status: xhr.status, responseText: "" }
    var text = ""
    if (!responseType && xhr.readyState === XMLHttpRequest.LOADING)
        text = xhr.responseText
    return { status: xhr.status, responseText: text }
}

// The finished reply as the rules read it (status, responseText, response).
function finishedReply(xhr, early) {
    if (xhr.status === 0 && HIDDEN_STATUSES.indexOf(early.status) >= 0)
        return { status: early.status, responseText: early.responseText, response: null }
    return xhr
}

// The bearer token a request carries, or null for one without (the login).
function bearerOf(request) {
    for (var i = 0; i < request.headers.length; ++i) {
        var header = request.headers[i]
        if (header[0] === "Authorization" && String(header[1]).indexOf("Bearer ") === 0)
            return String(header[1]).substring(7)
    }
    return null
}

// `request` as it was, with the bearer token `token` in place of its own.
function withToken(request, token) {
    var copy = {}
    for (var key in request)
        copy[key] = request[key]
    copy.headers = request.headers.map(function (header) {
        return header[0] === "Authorization" && String(header[1]).indexOf("Bearer ") === 0
                ? [header[0], "Bearer " + token] : header
    })
    return copy
}

// What a request that waited for a renewed session gets when the user logs out
// instead: the refusal it would have met with its ended token.
var SESSION_ENDED = { status: 401, responseText: "", response: null, ended: true }

// Hands cb what `rule` reads from `reply`, as send() describes.
function deliver(request, reply, cb) {
    if (!cb)
        return
    var value
    try {
        value = request.rule(reply)
    } catch (error) {
        // a request that was never sent has no reply to complain about
        if (!reply.ended)
            console.warn("Reply of " + request.verb + " " + request.url + " (status " + reply.status
                         + ") could not be read: " + error)
        value = request.failure !== undefined ? request.failure : FAILED
    }
    // a binary reply has no text to read a reason from
    cb(value, reply.status, request.responseType ? "" : reasonOf(reply))
}

// Leaves `request` with its session when the session has ended (a 401 says
// the backend did nothing with it): true when the session takes it and sends
// it again with the token of the next login, or fails it if the user logs out
// instead. A request of no session here (the login, a token of another) is
// answered as it is.
function waitForRenewal(request, token, cb, reply) {
    var session = token === null ? null : Dynamic.sessionOf(token)
    if (!session)
        return false
    return session.waitForRenewal(token, function (renewed) {
        send(withToken(request, renewed), cb)
    }, function () {
        deliver(request, reply, cb)
    })
}

// Sends one request and calls cb(value, status, reason) once, when it is done, if cb is given;
// `status` is the HTTP status (0 when no server was reached), for callers that must tell apart
// failures that share one value; `reason` is what the backend gave as the reason of an error
// reply, as reasonOf() reads it ("" when it gave none).
// `request`: {verb, url, headers: [[name, value], ...], body (object, optional),
// rule, failure (optional, default FAILED), responseType (optional)}.
// A request of a session that the backend has ended (401) waits for the
// login that renews it and is then sent once more with the new token, as is
// one started while the session waits; the caller sees only the final answer.
function send(request, cb) {
    var token = bearerOf(request)
    var owner = token === null ? null : Dynamic.sessionOf(token)
    if (owner && owner.expired && waitForRenewal(request, token, cb, SESSION_ENDED))
        return
    var xhr = new XMLHttpRequest()
    var answered = false
    var early = { status: 0, responseText: "" }
    xhr.onreadystatechange = function () {
        if (answered)
            return
        if (xhr.readyState !== XMLHttpRequest.DONE) {
            early = earlyReply(xhr, request.responseType, early)
            return
        }
        answered = true
        var reply = finishedReply(xhr, early)
        if (reply.status === 401 && waitForRenewal(request, token, cb, reply))
            return
        deliver(request, reply, cb)
    }
    xhr.open(request.verb, request.url)
    if (request.responseType)
        xhr.responseType = request.responseType
    for (var i = 0; i < request.headers.length; ++i)
        xhr.setRequestHeader(request.headers[i][0], request.headers[i][1])
    if (request.body !== undefined)
        xhr.send(JSON.stringify(request.body))
    else
        xhr.send()
}

// GET with the standard headers.
function get(url, p_Token, rule, cb) {
    send({ verb: "GET", url: url, headers: standardHeaders(p_Token), rule: rule }, cb)
}

// POST of `body` (undefined: an empty request) with the standard headers.
function post(url, body, p_Token, rule, cb) {
    send({ verb: "POST", url: url, headers: standardHeaders(p_Token), body: body, rule: rule }, cb)
}

// PUT of `body` with the standard headers.
function put(url, body, p_Token, rule, cb) {
    send({ verb: "PUT", url: url, headers: standardHeaders(p_Token), body: body, rule: rule }, cb)
}

// DELETE with only "Accept" and "Authorization".
function del(url, p_Token, rule, cb) {
    send({ verb: "DELETE", url: url, headers: deleteHeaders(p_Token), rule: rule }, cb)
}
