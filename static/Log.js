.pragma library

// Turns any script value into indented, readable text for the debug log.

// `object` as lines of text; `maxDepth` limits how deep nested objects are
// followed (missing or -1: no limit, 0: none are followed).
function serialize(object, maxDepth) {
    return block(object, maxDepth === undefined ? -1 : maxDepth, 0)
}

// Two blanks per level.
function indent(level) {
    return new Array(level + 1).join("  ")
}

function block(object, maxDepth, level) {
    var isArray = Array.isArray(object)
    var entries = []
    for (var key in object) {
        var value = object[key]
        var line = indent(level + 1) + (isArray ? "" : "\"" + key + "\": ")
        // "parent" points back up the tree: following it would never end
        if (typeof value === "object" && key !== "parent" && maxDepth !== 0)
            line += block(value, maxDepth > 0 ? maxDepth - 1 : maxDepth, level + 1)
        else
            line += "\"" + value + "\""
        entries.push(line)
    }
    return [isArray ? "[" : "{", entries.join(",\n"), indent(level) + (isArray ? "]" : "}")].join("\n")
}
