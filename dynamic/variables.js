.pragma library

// Session state shared by every document of the engine (one instance per engine).

// The bearer token of the last successful login; "" until then. Logging out keeps it.
var token = ""

// Returns the session token.
function getToken() {
    return token
}

// Replaces the session token.
function setToken(p_Token) {
    token = p_Token
}
