.pragma library
.import "../../api/request.js" as Request
.import "../../api/service_warehouse.js" as ServiceWarehouse

// What the warehouse views and workflows share: finding a category by its
// name (creating it only when there is none of that name), telling whether an
// article group exists already, the next delivery order's number, and
// reading backend replies into their lists and forms.

// Whether two names are the same, ignoring case.
function sameName(a, b) {
    return String(a).toLowerCase() === String(b).toLowerCase()
}

// The hit of a category search whose name equals `text` (ignoring case), or
// null. The search matches parts of names, so its first hit may be another
// category ("Schuh" finds "Schuhe" and "Hausschuhe").
function exactCategory(hits, text) {
    if (!Request.isList(hits))
        return null
    for (var i = 0; i < hits.length; ++i) {
        if (Request.isRecord(hits[i]) && hits[i].id !== undefined && sameName(hits[i].name, text))
            return hits[i]
    }
    return null
}

// Finds the category named `text`, or creates it when there is none of that
// name, and calls cb(id) with its id; cb(undefined, reason) when neither
// worked (reason is a German text for the user). A blank name is no category:
// cb(null).
function resolveCategory(text, p_Token, cb) {
    if (String(text).trim() === "") {
        cb(null)
        return
    }
    ServiceWarehouse.get_search_articlegroups_category(text, p_Token, function (hits, status) {
        if (!Request.isNoHits(hits) && !Request.isList(hits)) {
            cb(undefined, failureReason(status, qsTr("Die Kategorie \"%1\" konnte nicht gesucht werden").arg(text)))
            return
        }
        var found = exactCategory(hits, text)
        if (found) {
            cb(found.id)
            return
        }
        ServiceWarehouse.add_articlegroups_category(text, p_Token, function (category, status) {
            if (Request.isRecord(category) && category.id !== undefined && category.id !== null) {
                cb(category.id)
                return
            }
            var failed = failureReason(status, qsTr("Die Kategorie \"%1\" konnte nicht angelegt werden").arg(text))
            if (Request.isSuccess(status) || !status) {
                // created, or maybe: its reply did not come whole; a category of that name is it
                ServiceWarehouse.get_search_articlegroups_category(text, p_Token, function (again) {
                    var found = exactCategory(again, text)
                    if (found)
                        cb(found.id)
                    else
                        cb(undefined, failed)
                })
                return
            }
            cb(undefined, failed)
        })
    })
}

// The page function of a PagedList over a list the backend hands over whole
// (`listFunction(p_Token, cb)`): page 1 is the whole list, and the list ends
// after it as a paged list ends, with -1 and the status 400.
function allAtOnce(listFunction) {
    return function (page, p_Token, cb) {
        if (page > 1)
            cb(Request.FAILED, 400)
        else
            listFunction(p_Token, cb)
    }
}

// A copy of a backend record that a ListModel takes without complaint:
// members that are null are left out (a list model makes no role of them).
function listRow(record) {
    var row = {}
    for (var key in record) {
        if (record[key] !== null)
            row[key] = record[key]
    }
    return row
}

// Takes what was typed into an editable spin box as its value (within its
// bounds): typing is confirmed only by Return or by leaving the box, and a
// keyboard shortcut does neither. False when the typed text is no number (an
// emptied box): the value stays as it was.
function commitTypedValue(spinBox) {
    if (!spinBox.contentItem || !spinBox.contentItem.activeFocus)
        return true
    var value
    try {
        value = spinBox.valueFromText(spinBox.contentItem.text, spinBox.locale)
    } catch (error) {
        return false
    }
    if (!isFinite(value))
        return false
    spinBox.value = value
    return true
}

// The quantity of an editable spin box for the article group rule: its value
// as a whole number's text, or the text typed when that is no number.
function typedQuantity(spinBox) {
    if (!commitTypedValue(spinBox))
        return String(spinBox.contentItem.text).trim()
    return String(spinBox.value)
}

// Scrolls `flickable` so that `item`, when it lies in it, is in sight with a
// margin (a field the keyboard focus moved to, below the visible part).
function keepInView(flickable, item, margin) {
    var inside = false
    for (var up = item; up; up = up.parent)
        inside = inside || up === flickable.contentItem
    if (!inside)
        return
    var top = item.mapToItem(flickable.contentItem, 0, 0).y - margin
    var bottom = top + item.height + 2 * margin
    var last = Math.max(0, flickable.contentHeight - flickable.height)
    if (top < flickable.contentY)
        flickable.contentY = Math.max(0, top)
    else if (bottom > flickable.contentY + flickable.height)
        flickable.contentY = Math.min(last, bottom - flickable.height)
}

// The number of the next delivery order from the reply of get_last_deliveryno:
// the last one's plus 1, 1 for the first ever; undefined when the reply is unusable.
function nextDeliveryOrderNumber(reply) {
    if (!Request.isList(reply))
        return undefined
    if (reply.length === 0)
        return 1
    var last = Request.isRecord(reply[0]) ? Number(reply[0].deliveryorders_no) : NaN
    return isFinite(last) ? last + 1 : undefined
}

// A text for the user: `what` failed, and why, as far as the status tells.
// No status is no (whole) reply: the server out of reach, a connection closed
// early, or a refusal whose status the engine's request hides (409, 410).
function failureReason(status, what) {
    if (!status)
        return what + qsTr(": keine Antwort vom Server")
    return what + qsTr(" (Status %1)").arg(status)
}

// What makes an article group the same article line of the same customer:
// everything but its quantity (which bookings lower) and its category. `group`
// is a record of the backend or a row of an import file.
function groupKey(group) {
    var customer = group.customer_id === undefined || group.customer_id === null ? "" : String(group.customer_id)
    return JSON.stringify([customer, asText(group.articlename), asText(group.articleno), asText(group.typ),
                           asText(group.farbe), asText(group.size), asText(group.storage_location)])
}

// The groupKey()s of the backend's article groups `groups`, as the names of an object.
function groupKeys(groups) {
    var keys = {}
    for (var i = 0; i < groups.length; ++i) {
        if (Request.isRecord(groups[i]))
            keys[groupKey(groups[i])] = true
    }
    return keys
}

// The import preview's row of the file's record `record` with its `problems`
// (texts; none: the row is ready to be imported).
function importRow(record, problems) {
    return {
        "line": record.line,
        "articlename": record.articlename,
        "articleno": record.articleno,
        "typ": record.typ,
        "farbe": record.farbe,
        "size": record.size,
        "quantity": record.quantity,
        "quantityText": record.quantityText,
        "storage_location": record.storage_location,
        "category": record.category,
        "customer_id": record.customer_id,
        "problems": problems.join("; "),
        "state": problems.length > 0 ? "problem" : "ready",
        "result": problems.length > 0 ? problems.join("; ") : qsTr("bereit")
    }
}

function asText(value) {
    return value === undefined || value === null ? "" : String(value)
}
