.pragma library

// Banner states, shared by every view that shows messages in a NotificationBanner.
// A banner's settings are the triple [title, text, state] with one of these.
var INFO = 1
var SUCCESS = 2
var WARNING = 3
var ERROR = 4
