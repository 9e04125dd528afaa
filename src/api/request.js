.pragma library

// The one place where the service libraries talk to the backend: it opens the
// request, sets the headers, sends, reads the reply by the rule the calling
// function names, and calls the callback exactly once. A service function only
// says which verb, path, body and reply rule it uses.

var JSON_TYPE = "application/json"

// The value a caller receives when the reply cannot be read.
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

// ---- reply rules: each reads a finished request and returns what the caller gets.
// A rule may throw (an unparsable body); the caller then gets the rule's
// `failure` value, or FAILED.

// The parsed reply, whatever the status.
function parse(xhr) {
    return JSON.parse(xhr.responseText)
}

// A page past the end is answered 400.
function status400IsMinusOne(xhr) {
    return xhr.status === 400 ? -1 : parse(xhr)
}

// A search without hits is answered 204 and an empty body.
function status204IsMinusOne(xhr) {
    return xhr.status === 204 ? -1 : parse(xhr)
}

// Not found is answered 406 (the body is read first all the same).
function status406IsMinusOne(xhr) {
    var reply = parse(xhr)
    return xhr.status === 406 ? -1 : reply
}

// An update counts only when answered 200 (the body is read first all the same).
function status200OrMinusOne(xhr) {
    var reply = parse(xhr)
    return xhr.status === 200 ? reply : -1
}

// A create hands the new record only when the backend accepted it.
function created(xhr) {
    return isSuccess(xhr.status) ? parse(xhr) : -1
}

// 0 for exactly 200, else -1; the body is not read.
function status200IsZero(xhr) {
    return xhr.status === 200 ? 0 : -1
}

// 0 when the backend confirmed the delete, else -1 (406, errors, no connection).
function deleteRule(xhr) {
    return isSuccess(xhr.status) ? 0 : -1
}

// The status code itself, whatever it is (0 without a connection).
function statusOnly(xhr) {
    return xhr.status
}

// The raw reply bytes of a successful request, else -1 (never an error page).
function arrayBuffer(xhr) {
    return isSuccess(xhr.status) ? xhr.response : -1
}

// Logs the status under `name`, then applies `rule`.
function logStatus(name, rule) {
    return function (xhr) {
        console.log(name + " status " + xhr.status)
        return rule(xhr)
    }
}

// ---- sending

// Sends one request and calls cb(value, status) once, when it is done, if cb is given;
// `status` is the HTTP status (0 when no server was reached), for callers that must tell apart
// failures that share one value.
// `request`: {verb, url, headers: [[name, value], ...], body (object, optional),
// rule, failure (optional, default FAILED), responseType (optional)}.
function send(request, cb) {
    var xhr = new XMLHttpRequest()
    var answered = false
    xhr.onreadystatechange = function () {
        if (xhr.readyState !== XMLHttpRequest.DONE || !cb || answered)
            return
        answered = true
        var value
        try {
            value = request.rule(xhr)
        } catch (error) {
            console.warn("Reply of " + request.verb + " " + request.url + " (status " + xhr.status
                         + ") could not be read: " + error)
            value = request.failure !== undefined ? request.failure : FAILED
        }
        cb(value, xhr.status)
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
