import QtQuick 2.15
import QtQuick.LocalStorage 2.12
import QtTest 1.15

import "../../static/ConfigStorage.js" as ConfigStorage

// The local settings store in the engine's offline storage.
TestCase {
    name: "ConfigStorage"

    // The same database, opened directly.
    function database(version) {
        return LocalStorage.openDatabaseSync("Vendrix", version === undefined ? "0.9.6" : version, "VendrixDatabase", 100)
    }

    function rows(setting) {
        var result = []
        database().readTransaction(function (tx) {
            var rs = tx.executeSql("SELECT value FROM settings WHERE setting=?;", [setting])
            for (var i = 0; i < rs.rows.length; ++i)
                result.push(rs.rows.item(i).value)
        })
        return result
    }

    function test_keys() {
        compare([ConfigStorage.username, ConfigStorage.password, ConfigStorage.company, ConfigStorage.autologin],
                ["username", "password", "company", "loginsave"])
    }

    function test_unknownKeysGiveTheCallersDefault() {
        compare(ConfigStorage.get("never-written", ""), "")
        compare(ConfigStorage.get("never-written", -1), -1)
        verify(ConfigStorage.get("never-written", false) === false)
    }

    function test_settingAKeyTwiceKeepsOneRow() {
        compare(ConfigStorage.set(ConfigStorage.username, "erika"), "OK")
        compare(ConfigStorage.set(ConfigStorage.username, "max"), "OK")
        compare(rows("username"), ["max"])
        compare(ConfigStorage.get(ConfigStorage.username, ""), "max")
    }

    function test_valuesComeBackAsText() {
        ConfigStorage.set(ConfigStorage.company, 0)
        verify(ConfigStorage.get(ConfigStorage.company, -1) === "0")
        ConfigStorage.set(ConfigStorage.company, 1)
        verify(ConfigStorage.get(ConfigStorage.company, -1) === "1")
        ConfigStorage.set(ConfigStorage.autologin, true)
        verify(ConfigStorage.get(ConfigStorage.autologin, false) === "1")
        ConfigStorage.set(ConfigStorage.password, "geheim ü")
        compare(ConfigStorage.get(ConfigStorage.password, ""), "geheim ü")
    }

    // the database file as text (binary parts garbled), to look for a value in it
    function fileText() {
        var request = new XMLHttpRequest()
        request.open("GET", "file://" + testStoragePath + "/Databases/" + Qt.md5("Vendrix") + ".sqlite", false)
        request.send()
        return request.responseText
    }

    // A removed value (a password an earlier version kept) is gone from the file, not only from the table.
    function test_removeLeavesNoTraceInTheFile() {
        compare(ConfigStorage.set(ConfigStorage.password, "Klartext-4711"), "OK")
        ConfigStorage.set(ConfigStorage.username, "anna")
        verify(fileText().indexOf("Klartext-4711") >= 0)
        compare(ConfigStorage.remove(ConfigStorage.password), "OK")
        compare(ConfigStorage.get(ConfigStorage.password, null), null)
        verify(fileText().indexOf("Klartext-4711") < 0)
        compare(ConfigStorage.get(ConfigStorage.username, ""), "anna")
        compare(ConfigStorage.remove("never-written"), "OK")
    }

    function test_aFailedReadGivesTheDefault() {
        ConfigStorage.set("x", "1")
        database().transaction(function (tx) {
            tx.executeSql("DROP TABLE settings")
            tx.executeSql("CREATE TABLE settings(setting TEXT UNIQUE)")
        })
        try {
            compare(ConfigStorage.get("x", "fallback"), "fallback")
        } finally {
            database().transaction(function (tx) { tx.executeSql("DROP TABLE settings") })
        }
        compare(ConfigStorage.get("x", "fallback"), "fallback", "the table is created again")
        compare(ConfigStorage.set("x", "2"), "OK")
    }

    function test_aDatabaseOfAnotherVersionIsAnErrorNotAResult() {
        database().changeVersion("0.9.6", "0.9.5")
        try {
            var thrown = false
            try {
                ConfigStorage.set("x", "3")
            } catch (error) {
                thrown = true
            }
            verify(thrown, "set passes the failure on")
        } finally {
            database("").changeVersion("0.9.5", "0.9.6")
        }
        compare(ConfigStorage.set("x", "3"), "OK")
    }
}
