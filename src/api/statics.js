.pragma library

// Origin of the backend API: scheme and host, no path, no trailing slash.
// A build may put another origin into its resources (CMake: VENDRIX_API_URL).
var URL = "https://api.kestrova.example"
