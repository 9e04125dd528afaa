import QtQuick 2.15

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_assignment.js" as ServiceAssignment
import "../../controls"

// "Auftragsänderung": the order form filled with one order. Opening it reads
// the tax rows, then the order; "Speichern" (or Return) sends the changed
// order. A change the backend refuses keeps the popup open with what was
// typed and the backend's reason; so does a change that got no answer, which
// may be sent again without harm. A change typed and not yet stored is kept
// as a draft of that order; closing the popup keeps it, and the next opening
// of the same order offers it again.
ViewPopup {
    id: _change

    // the id of the order opened
    property int idof: -1
    // the order record loaded into the form; null until it has arrived
    property var currentAssignment: null
    // the order form
    readonly property alias form: _form
    // what the form holds, as an order record
    readonly property alias controller: _controller
    // the change typed, kept until it is stored
    readonly property alias draft: _draft

    // the change was saved (`readable`: its reply could be read); the popup has closed
    signal saved(bool readable)
    // what went wrong while the popup is closed (while open, its own banner tells)
    signal failed(string text)

    // Opens the popup for the order `id`.
    function openFor(id) {
        idof = id
        open()
    }

    // Reads the tax rows, then the order, and fills the form. Anything but a
    // complete order record closes the popup instead of showing half a form.
    function load() {
        var request = ++_serial
        currentAssignment = null
        ++_pending
        ServiceAssignment.get_taxes(Dynamic.getToken(), function (taxes) {
            --_pending
            if (request !== _serial)
                return
            if (!Request.isList(taxes)) {
                _closeWith(qsTr("Auftrag konnte nicht geladen werden"))
                return
            }
            _draft.hostChange(function () { _controller.setTaxes(taxes) })
            ++_pending
            ServiceAssignment.get_assignment(idof, Dynamic.getToken(), function (record, status, reason) {
                --_pending
                if (request !== _serial)
                    return
                // (another clerk may have billed or deleted it meanwhile: the backend says so)
                if (!_isCompleteOrder(record)) {
                    _closeWith(Request.withReason(qsTr("Auftrag konnte nicht geladen werden"), reason))
                    return
                }
                // filled first: the draft takes the filled form as untouched
                _controller.fill(record)
                currentAssignment = record
            })
        })
    }

    // "Speichern": sends the form's values as the order's new contents.
    function save() {
        if (!currentAssignment || _saving)
            return
        var request = _serial
        var draft = _draft.watched
        _saving = true
        ++_pending
        ServiceAssignment.update_assignment_record(currentAssignment.id, _controller.collect(), Dynamic.getToken(),
                                                   function (reply, status, reason) {
            _saving = false
            --_pending
            var shown = request === _serial
            var outcome = Request.storeOutcome(reply, status)
            if (outcome === Request.STORED || outcome === Request.STORED_UNREAD) {
                _draft.remove(draft)
                if (shown)
                    close()
                saved(outcome === Request.STORED)
                return
            }
            var message = outcome === Request.UNKNOWN
                    ? [qsTr("Ergebnis unklar"), qsTr("Keine Antwort vom Server: ob die Änderung gespeichert wurde, "
                                                     + "ist unklar. Erneutes Speichern schadet nicht."),
                       NotificationState.WARNING]
                    : [qsTr("Nicht Erfolgreich"), Request.withReason(qsTr("Auftrag konnte nicht geändert werden"), reason),
                       NotificationState.ERROR]
            if (shown)
                notify(message)
            else
                failed(message[1])
        })
    }

    // the number of the opening whose replies still count
    property int _serial: 0
    property int _pending: 0
    property bool _saving: false

    // An order record with its id and its customer.
    function _isCompleteOrder(record) {
        return Request.isRecord(record) && typeof record.id === "number" && Request.isRecord(record.customer_assignment)
    }

    function _closeWith(text) {
        close()
        failed(text)
    }

    backdropColor: "#90CAF9"
    defaultButton: _form.saveButton
    panelColor: Colors.c_light_purple
    scrollHeight: 1380 * c_Scale
    busy: _pending > 0

    onOpened: load()
    // replies for a popup that is no longer open count no more
    onClosed: ++_serial

    OrderForm {
        id: _form

        objectName: "orderForm"
        width: parent.width
        title: qsTr("Auftragsänderung")
        customerEditable: false
        customerLabel: qsTr("Kundenname")
        labelColor: Colors.c_darker_white
        saving: _change._saving
        saveIsDefault: true
        enabled: _change.currentAssignment !== null
        onSaveClicked: _change.save()
    }

    OrderFormController {
        id: _controller

        form: _form
    }

    Draft {
        id: _draft

        active: _change.opened && _change.currentAssignment !== null
        owner: active && Dynamic.session() ? Dynamic.session().userName : ""
        name: active ? "order-" + _change.currentAssignment.id : ""
        banner: _change.banner
        capture: function () { return _controller.draftFields() }
        apply: function (fields) { _controller.applyDraft(fields) }
        reset: function () { _controller.fill(_change.currentAssignment) }
    }
}
