.pragma library
.import QtQuick.LocalStorage 2.12 as Sql

// The local settings store: remembered login data and company, one text value
// per key in the table "settings" of the engine's offline storage. Opened anew
// by every call; no state is kept here.

// Keys of the settings. Values come back as text whatever was stored: the
// column's text type turns 0 into "0" and true into "1".
var username = "username"
// written by earlier versions only: the password now lives in the desktop's
// keyring, and one found here is moved there and removed
var password = "password"
var company = "company"
var autologin = "loginsave"

var CREATE_TABLE = "CREATE TABLE IF NOT EXISTS settings(setting TEXT UNIQUE, value TEXT)"

// Opens the settings database.
function getDatabase() {
    return Sql.LocalStorage.openDatabaseSync("Vendrix", "0.9.6", "VendrixDatabase", 100)
}

// Stores `value` under `setting`; "OK" when a row was written, else "Error".
// A database that cannot be opened or written throws to the caller.
function set(setting, value) {
    var db = getDatabase()
    var result = "Error"
    db.transaction(function (tx) {
        tx.executeSql(CREATE_TABLE)
        var rs = tx.executeSql("INSERT OR REPLACE INTO settings VALUES (?,?);", [setting, value])
        result = rs.rowsAffected > 0 ? "OK" : "Error"
    })
    return result
}

// Removes `setting`, its value overwritten in the file, not merely unlinked
// (the value may be a secret); "OK", also when there was none. A database that
// cannot be opened or written throws to the caller.
function remove(setting) {
    var db = getDatabase()
    db.transaction(function (tx) {
        tx.executeSql(CREATE_TABLE)
        tx.executeSql("PRAGMA secure_delete = ON")
        tx.executeSql("DELETE FROM settings WHERE setting=?;", [setting])
    })
    return "OK"
}

// The text stored under `setting`, or `default_value` when there is none or the read fails.
function get(setting, default_value) {
    var db = getDatabase()
    var result = default_value
    try {
        db.transaction(function (tx) {
            tx.executeSql(CREATE_TABLE)
            var rs = tx.executeSql("SELECT value FROM settings WHERE setting=?;", [setting])
            if (rs.rows.length > 0)
                result = rs.rows.item(0).value
        })
    } catch (error) {
        console.log("Database " + error)
        result = default_value
    }
    return result
}
