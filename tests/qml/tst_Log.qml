import QtQuick 2.15
import QtTest 1.15

import "../../static/Log.js" as Log

// The object serialiser for diagnostic output.
TestCase {
    name: "Log"

    function test_nestedBlocks() {
        compare(Log.serialize({ a: 1, b: [2, "x"] }),
                ["{", '  "a": "1",', '  "b": [', '    "2",', '    "x"', "  ]", "}"].join("\n"))
    }

    function test_emptyObjectAndArray() {
        compare(Log.serialize({}), "{\n\n}")
        compare(Log.serialize([]), "[\n\n]")
    }

    function test_valuesAreQuotedText() {
        compare(Log.serialize([true, 0, undefined, "a\"b"]),
                '[\n  "true",\n  "0",\n  "undefined",\n  "a"b"\n]')
        compare(Log.serialize({ n: null }), '{\n  "n": {\n\n  }\n}', "null counts as an object")
    }

    function test_depthLimit() {
        var value = { a: { b: { c: 1 } } }
        compare(Log.serialize(value, 0), '{\n  "a": "[object Object]"\n}')
        compare(Log.serialize(value, 1), '{\n  "a": {\n    "b": "[object Object]"\n  }\n}')
        compare(Log.serialize(value, -1), Log.serialize(value))
        compare(Log.serialize({ l: [1, 2] }, 0), '{\n  "l": "1,2"\n}')
    }

    function test_parentIsNotFollowed() {
        var node = { name: "kind" }
        node.parent = { name: "eltern", child: node }
        compare(Log.serialize(node), '{\n  "name": "kind",\n  "parent": "[object Object]"\n}')
    }
}
