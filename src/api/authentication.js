.pragma library
.import "statics.js" as BASES
.import "request.js" as Request

// Obtaining and revoking the session token.

var BASE = BASES.URL

// 200: the login reply; 503: "503" (the backend cannot serve); anything else: false.
function loginReply(xhr) {
    console.log("get_token status " + xhr.status)
    if (xhr.status === 200)
        return Request.parse(xhr)
    return xhr.status === 503 ? "503" : false
}

// Asks for a session token with the Basic credential `login` (Base64 of "user:password").
function get_token(login, cb) {
    Request.send({
        verb: "POST",
        url: BASE + "/tokens",
        headers: [["Authorization", "Basic " + login],
                  ["Cache-Control", "no-cache"],
                  ["Accept", "application/json"],
                  // the engine keeps these two for itself; it compresses and reuses connections anyway
                  ["Accept-Encoding", "gzip, deflate, br"],
                  ["Connection", "keep-alive"],
                  ["Content-Type", "application/json"]],
        rule: loginReply,
        failure: false
    }, cb)
}

// Revokes the token on the backend; hands the HTTP status, whatever it is.
function revoke_token(p_Token, cb) {
    Request.get(BASE + "/me/logout", p_Token, Request.statusCode, cb)
}
