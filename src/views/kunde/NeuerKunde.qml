import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../../static/colors.js" as Colors
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_customer.js" as ServiceCustomer
import "../../controls"

// "Neuer Kunde": creates one private or business customer from the customer
// form. A business customer is two records: its commercial record first, then
// the customer pointing to it. The values are those of the moment
// "Speichern" is pressed; the form is cleared once the backend stored the
// customer (also when its reply could not be read; what was typed meanwhile
// stays), and a refused attempt keeps it for another try and says why. When
// the customer's create got no answer, nobody knows whether it was stored:
// the next "Speichern" first asks whether the user has looked. What is typed
// is kept as a draft until the customer is stored (see Draft).
Item {
    id: _view

    // the window's banner (set by the container), for a backend that cannot be reached
    property var notifier: null
    // true from "Speichern" until the attempt has succeeded or failed
    readonly property bool saving: _saving
    // the form, for hosts and tests
    readonly property alias form: _form
    // what the form holds, as a customer record
    readonly property alias controller: _controller
    // the view's own banner (no object name: the window's banner is found by that name)
    readonly property alias banner: _banner
    // the question before sending a customer again whose last create got no answer
    readonly property alias resendQuestion: _resendQuestion
    // what is typed, kept until the customer is stored
    readonly property alias draft: _draft

    // takes the form's values and creates the customer (nothing while a save is outstanding)
    function save() {
        if (_saving)
            return
        if (_unanswered) {
            _resendQuestion.open()
            return
        }
        _send()
    }

    function _send() {
        _saving = true
        _unanswered = false
        var values = _controller.collect()
        if (values.commercialability)
            saveCustomerCommercial(values)
        else
            saveCustomer(values, undefined)
    }

    // The commercial record of a business customer, then the customer. A
    // record created by an earlier attempt whose customer failed is used
    // again (changed first if the user edited its inputs meanwhile), so that
    // no record is left without a customer.
    function saveCustomerCommercial(values) {
        var kept = _commercial
        if (kept && _sameCommercial(kept.values, values)) {
            saveCustomer(values, kept.id)
            return
        }
        var token = Dynamic.getToken()
        var done = function (reply, status, reason) {
            var outcome = Request.storeOutcome(reply, status)
            if (outcome === Request.STORED && _hasId(reply)) {
                _commercial = { "id": reply.id, "values": values }
                saveCustomer(values, reply.id)
            } else if (outcome === Request.REFUSED) {
                _fail(Request.withReason(qsTr("Komerzieller Kunde konnte nicht gespeichert werden"), reason), status)
            } else if (outcome === Request.UNKNOWN) {
                // at most a commercial record without its customer: trying again makes no second customer
                _unclear(qsTr("Keine Antwort vom Server: der Kunde wurde nicht angelegt"))
            } else {
                // stored, but without its id no customer can point to it
                _fail(qsTr("Komerzieller Kunde wurde gespeichert, die Antwort des Servers war aber nicht lesbar; "
                           + "der Kunde wurde nicht angelegt"), status)
            }
        }
        if (kept)
            ServiceCustomer.update_customercommercial_record(kept.id, values, token, done)
        else
            ServiceCustomer.add_customer_commercial_record(values, token, done)
    }

    // Creates the customer; `commercialId` undefined for a private customer.
    function saveCustomer(values, commercialId) {
        ServiceCustomer.add_customer_record(values, commercialId, Dynamic.getToken(), function (reply, status, reason) {
            var outcome = Request.storeOutcome(reply, status)
            if (outcome === Request.REFUSED) {
                _fail(Request.withReason(qsTr("Kunde konnte nicht gespeichert werden"), reason), status)
                return
            }
            if (outcome === Request.UNKNOWN) {
                _unanswered = true
                _unclear(qsTr("Keine Antwort vom Server: ob der Kunde gespeichert wurde, ist unklar. "
                              + "Bitte in der Kunden Übersicht nachsehen."))
                return
            }
            // a 2xx: stored, whether or not its reply could be read
            _commercial = null
            _controller.clearSaved(values)
            _draft.remove()
            _saving = false
            if (outcome === Request.STORED && _hasId(reply))
                _show([qsTr("Erfolgreich"), qsTr("Kunde wurde erfolgreich gespeichert"), NotificationState.SUCCESS])
            else
                _show([qsTr("Erfolgreich"), qsTr("Kunde wurde gespeichert, die Antwort des Servers war aber nicht lesbar"),
                       NotificationState.SUCCESS])
        })
    }

    // the form back to a new customer; a kept commercial record is forgotten
    function clear_fields() {
        _commercial = null
        _controller.clear()
    }

    property bool _saving: false
    // the last create of the customer got no answer: it may have been stored
    property bool _unanswered: false
    // {id, values} of a commercial record created for a customer not yet created, or null
    property var _commercial: null

    function _hasId(reply) {
        return Request.isRecord(reply) && typeof reply.id === "number"
    }

    function _sameCommercial(a, b) {
        return a.company === b.company && a.vatid === b.vatid && a.fuel_surcharge === b.fuel_surcharge
                && a.contact_person === b.contact_person
    }

    // Shows a message for its whole display time, also when the banner still
    // shows the one before (two customers saved in quick succession).
    function _show(settings) {
        _banner.run = false
        _banner.settings = settings
        _banner.run = true
    }

    // the attempt failed: the form stays as it is, for another try
    function _fail(text, status) {
        _saving = false
        _show([qsTr("Nicht Erfolgreich"), text, NotificationState.ERROR])
        if (status === 0 && notifier)
            notifier.notifyConnectionProblem()
    }

    // no answer came: the form stays; what became of it is told in `text`
    function _unclear(text) {
        _saving = false
        _show([qsTr("Ergebnis unklar"), text, NotificationState.WARNING])
        if (notifier)
            notifier.notifyConnectionProblem()
    }

    Material.theme: Material.Light
    Material.accent: Material.DeepPurple

    Rectangle {
        anchors.fill: parent
        color: Colors.c_grayish_white
    }

    CustomerForm {
        id: _form

        objectName: "customerForm"
        anchors.fill: parent
        saveEnabled: !_view.saving
        onSaveClicked: _view.save()
    }

    CustomerFormController {
        id: _controller

        form: _form
    }

    Draft {
        id: _draft

        owner: Dynamic.session() ? Dynamic.session().userName : ""
        name: "new-customer"
        banner: _banner
        capture: function () { return _controller.draftFields() }
        apply: function (fields) { _controller.applyDraft(fields) }
        reset: function () { _view.clear_fields() }
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: 2
        running: _view.saving
    }

    QuestionPopup {
        id: _resendQuestion

        objectName: "resendQuestion"
        title: qsTr("Kunde erneut speichern?")
        text: qsTr("Auf das letzte Speichern kam keine Antwort vom Server; der Kunde ist vielleicht schon "
                   + "gespeichert. Bitte zuerst in der Kunden Übersicht nachsehen, damit er nicht doppelt angelegt wird.")
        acceptText: qsTr("Erneut speichern")
        onAccepted: _view._send()
    }

    NotificationBanner {
        id: _banner

        anchors.fill: parent
        z: 3
    }
}
