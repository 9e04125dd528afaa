.pragma library
.import "statics.js" as BASES
.import "request.js" as Request

// The logged-in user's own record.

var BASE = BASES.URL

// The parsed user record, whatever the status.
function get_me(p_Token, cb) {
    Request.get(BASE + "/me", p_Token, Request.parse, cb)
}
