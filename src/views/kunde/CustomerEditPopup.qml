import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_customer.js" as ServiceCustomer
import "../../controls"

// The blue popup over the whole overview in which one stored customer is
// changed: it reads the customer when it opens, shows it in the customer
// form, and saves the customer (and the commercial record of a business
// customer) on "Speichern". It closes only when everything was stored, on
// "Abbrechen" or Escape; what went wrong stays in front of the user with
// the input kept. Return saves, Escape closes as "Abbrechen" does. Its
// messages go to the host's banner. A change typed and not yet stored is kept
// as a draft of that customer; "Abbrechen" and Escape keep it, and the next
// opening of the same customer offers it on the popup's own banner.
Popup {
    id: _popup

    // id of the customer to open (set before open())
    property int idof: -1
    // the customer record the form was filled from; null while it is read
    readonly property var currentCustomer: _currentCustomer
    // true while the customer is read or saved
    readonly property bool busy: _loading || _saving
    // the form, for tests
    readonly property alias form: _form
    // what the form holds, as a customer record
    readonly property alias controller: _controller
    // the change typed, kept until it is stored
    readonly property alias draft: _draft

    // a message for the host's banner: [title, text, state]
    signal message(var settings)
    // the customer was stored; the host reloads what it shows of it
    signal saved()

    // Takes the customer read for the form: fills the form, or closes with a
    // message when the customer cannot be read.
    function getCurrentCustomerForChange(res, status) {
        _loading = false
        if (Request.isRecord(res)) {
            // filled first: the draft takes the filled form as untouched
            _controller.fill(res)
            _currentCustomer = res
            return
        }
        close()
        if (status === 406)
            message([qsTr("Kunden änderung"), qsTr("Kunde wurde nicht gefunden, änderung nicht möglich"),
                     NotificationState.ERROR])
        else
            message([qsTr("Kunden änderung"), qsTr("Kunde konnte nicht geladen werden, änderung nicht möglich"),
                     NotificationState.ERROR])
    }

    // Stores what the form holds: the customer, and for a business customer
    // its commercial record at the same time. Closes once both are stored (a
    // 2xx whose reply cannot be read counts as stored); a refusal shows the
    // backend's reason, no answer says that the outcome is unclear.
    function save() {
        if (_saving || !_currentCustomer)
            return
        _saving = true
        var draft = _draft.watched
        var values = _controller.collect()
        var outstanding = values.commercialability ? 2 : 1
        var customer = null
        var commercial = { outcome: Request.STORED, reason: "" }
        var finish = function () {
            if (--outstanding > 0)
                return
            _saving = false
            var outcomes = [customer.outcome, commercial.outcome]
            if (customer.outcome === Request.REFUSED) {
                message([qsTr("Nicht Erfolgreich"),
                         Request.withReason(qsTr("Kunde konnte nicht geändert werden"), customer.reason),
                         NotificationState.ERROR])
            } else if (commercial.outcome === Request.REFUSED) {
                message([qsTr("Nicht Erfolgreich"),
                         Request.withReason(qsTr("Komerzieller Kunde konnte nicht geändert werden"), commercial.reason),
                         NotificationState.ERROR])
            } else if (outcomes.indexOf(Request.UNKNOWN) >= 0) {
                message([qsTr("Ergebnis unklar"), qsTr("Keine Antwort vom Server: ob die Änderung gespeichert wurde, "
                                                       + "ist unklar. Erneutes Speichern schadet nicht."),
                         NotificationState.WARNING])
            } else {
                _draft.remove(draft)
                close()
                saved()
                message([qsTr("Erfolgreich"), outcomes.indexOf(Request.STORED_UNREAD) >= 0
                         ? qsTr("Kunde wurde geändert, die Antwort des Servers war aber nicht lesbar")
                         : qsTr("Kunde wurde erfolgreich geändert"), NotificationState.SUCCESS])
            }
        }
        if (values.commercialability) {
            updateCustomerCommercial(_currentCustomer.commercial_id, values, function (result) {
                commercial = result
                finish()
            })
        }
        updateCustomer(_currentCustomer.id, values, function (result) {
            customer = result
            finish()
        })
    }

    // PUT of the customer; done({outcome, reason}) as Request.storeOutcome tells it
    function updateCustomer(p_id, values, done) {
        ServiceCustomer.update_customer_record(p_id, values, Dynamic.getToken(), function (reply, status, reason) {
            done({ outcome: Request.storeOutcome(reply, status), reason: reason })
        })
    }

    // PUT of the commercial record; done({outcome, reason}) as Request.storeOutcome tells it
    function updateCustomerCommercial(p_id, values, done) {
        ServiceCustomer.update_customercommercial_record(p_id, values, Dynamic.getToken(),
                                                         function (reply, status, reason) {
            done({ outcome: Request.storeOutcome(reply, status), reason: reason })
        })
    }

    property var _currentCustomer: null
    property bool _loading: false
    property bool _saving: false
    // counts openings, so that a reply for an earlier one is dropped
    property int _serial: 0

    function _load() {
        var serial = ++_serial
        _currentCustomer = null
        _loading = true
        ServiceCustomer.get_customer(idof, Dynamic.getToken(), function (res, status) {
            if (serial === _serial && _popup.visible)
                getCurrentCustomerForChange(res, status)
        })
    }

    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    // the keyboard goes back where it was when the popup closes
    property FocusReturn _focusReturn: FocusReturn { popup: _popup }
    // white texts on the blue card, buttons in the application's accent
    Material.theme: Material.Dark
    // a colour, not the enum: the dark theme would lighten the enum below the white text's contrast
    Material.accent: Material.color(Material.DeepPurple)

    onAboutToShow: _load()
    // a customer's kind shows only while it is open
    onClosed: {
        ++_serial
        _loading = false
        _form.commercial = false
    }

    background: Rectangle {
        color: Material.color(Material.Blue)
    }

    // Return saves (or presses the button that has the focus); Escape closes
    contentItem: DefaultActionScope {
        defaultButton: _form.saveButton

        CustomerForm {
            id: _form

            objectName: "customerForm"
            anchors.fill: parent
            commercialEditable: false
            captionColor: "#ffffff"
            businessCaptionColor: "#ffffff"
            emptyPlaceholder: "-"
            cancelVisible: true
            saveIsDefault: true
            saveEnabled: !_popup.busy && _popup.currentCustomer !== null
            onSaveClicked: _popup.save()
            onCancelClicked: _popup.close()
        }

        CustomerFormController {
            id: _controller

            form: _form
        }

        BusySpinner {
            objectName: "busyIndicator"
            anchors.centerIn: parent
            running: _popup.busy
            Material.accent: "#ffffff"
        }

        // offers a restored draft over the form (its other messages go to the host's banner)
        NotificationBanner {
            id: _banner

            objectName: "draftBanner"
            anchors.fill: parent
        }
    }

    Draft {
        id: _draft

        active: _popup.opened && _popup.currentCustomer !== null
        owner: active && Dynamic.session() ? Dynamic.session().userName : ""
        name: active ? "customer-" + _popup.currentCustomer.id : ""
        banner: _banner
        capture: function () { return _controller.draftFields() }
        apply: function (fields) { _controller.applyDraft(fields) }
        reset: function () { _controller.fill(_popup.currentCustomer) }
    }
}
