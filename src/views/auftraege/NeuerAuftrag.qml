import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15

import "../../controls"
import "../../../static/colors.js" as Colors
import "../../../static/ConfigStorage.js" as ConfigStorage
import "../../../static/NotificationState.js" as NotificationState
import "../../api/request.js" as Request
import "../../api/service_assignment.js" as ServiceAssignment
import "../../api/service_customer.js" as ServiceCustomer
import "../../../dynamic/variables.js" as Dynamic

// Neuer Auftrag: the order form on a page of its own. The user picks a
// customer from suggestions, fills the order and saves it. An order the
// backend stored (also when its reply could not be read) empties the form for
// the next one; a refused save keeps everything typed and says why. When no
// answer came, nobody knows whether it was stored: the form stays, and the
// next "Speichern" first asks whether the user has looked. What is typed is
// kept as a draft until the order is stored (see Draft).
Rectangle {
    id: _view

    // true while the tax rows are being loaded
    readonly property bool loadingTaxes: _private.loadingTaxes
    // true while a save is under way ("Speichern" cannot be pressed meanwhile)
    readonly property bool saving: _private.saving
    // the order form
    readonly property alias form: _form
    // what the form holds, as an order record (and the picked customer)
    readonly property alias controller: _controller
    // the question before sending an order again whose last save got no answer
    readonly property alias resendQuestion: _resendQuestion
    // what is typed, kept until the order is stored
    readonly property alias draft: _draft

    // reload the tax rows and the stored company (the container sends it when the page is chosen and after a login)
    signal refresh()

    // Saves the form as a new order, unless a save is under way. Without tax
    // rows nothing is sent: the user is told, and the rows are loaded again.
    function save() {
        if (_private.saving)
            return
        if (_form.taxModel.count === 0) {
            _private.warnTaxesMissing()
            _private.loadTaxes()
            return
        }
        if (_private.unanswered) {
            _resendQuestion.open()
            return
        }
        _private.send()
    }

    color: Colors.c_grayish_white
    Material.theme: Material.Light
    Material.accent: Material.Purple

    onRefresh: {
        _private.loadTaxes()
        // the company chosen at the login ("0" has no dox and nox); read afresh,
        // since a later login may have stored another one
        _form.showDoxNox = String(ConfigStorage.get(ConfigStorage.company, -1)) !== "0"
    }

    QtObject {
        id: _private

        // a tax list request is outstanding
        property bool loadingTaxes: false
        // an order is being sent
        property bool saving: false
        // the last save got no answer: it may have been stored
        property bool unanswered: false

        function send() {
            saving = true
            unanswered = false
            ServiceAssignment.add_assignment_record(_controller.collect(), _controller.customerId, Dynamic.getToken(),
                                                    function (reply, status, reason) {
                saving = false
                var outcome = Request.storeOutcome(reply, status)
                if (outcome === Request.REFUSED) {
                    show([qsTr("Nicht Erfolgreich"),
                          Request.withReason(qsTr("Auftrag konnte nicht gespeichert werden"), reason),
                          NotificationState.ERROR])
                    return
                }
                if (outcome === Request.UNKNOWN) {
                    unanswered = true
                    show([qsTr("Ergebnis unklar"),
                          qsTr("Keine Antwort vom Server: ob der Auftrag gespeichert wurde, ist unklar. "
                               + "Bitte unter „Erfasste Aufträge“ nachsehen."), NotificationState.WARNING])
                    return
                }
                // a 2xx: stored, whether or not its reply could be read
                _controller.clear()
                _draft.remove()
                _flick.contentY = 0
                if (outcome === Request.STORED && Request.isRecord(reply))
                    show([qsTr("Erfolgreich"), qsTr("Auftrag wurde erfolgreich gespeichert"), NotificationState.SUCCESS])
                else
                    show([qsTr("Erfolgreich"), qsTr("Auftrag wurde gespeichert, die Antwort des Servers war aber nicht lesbar"),
                          NotificationState.SUCCESS])
            })
        }

        function loadTaxes() {
            loadingTaxes = true
            ServiceAssignment.get_taxes(Dynamic.getToken(), function (reply) {
                loadingTaxes = false
                if (Request.isList(reply))
                    _draft.hostChange(function () { _controller.setTaxes(reply) })
                else
                    warnTaxesMissing()
            })
        }

        function warnTaxesMissing() {
            show([qsTr("Steuersätze fehlen"), qsTr("Die Steuersätze konnten nicht geladen werden"),
                  NotificationState.WARNING])
        }

        function show(settings) {
            _banner.settings = settings
            _banner.run = true
        }
    }

    Flickable {
        id: _flick

        objectName: "page"
        anchors.fill: parent
        contentWidth: width
        contentHeight: _form.implicitHeight + 2 * _form.y
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        ScrollBar.vertical: ScrollBar {
            policy: ScrollBar.AlwaysOn
            width: 10
        }

        // Tab and clicks never leave the field in use below the visible part
        FocusScroller {
            flickable: _flick
        }

        OrderForm {
            id: _form

            objectName: "orderForm"
            x: 40 * c_Scale
            y: 30 * c_Scale
            width: _flick.width - 2 * x
            customerEditable: true
            saving: _private.saving

            onSaveClicked: _view.save()
            onCustomerSearch: {
                ServiceCustomer.get_search_customer_fullname(text, Dynamic.getToken(), function (reply) {
                    if (_controller)
                        _controller.offerCustomers(reply)
                })
            }
        }
    }

    OrderFormController {
        id: _controller

        form: _form
    }

    Draft {
        id: _draft

        owner: Dynamic.session() ? Dynamic.session().userName : ""
        name: "new-order"
        banner: _banner
        capture: function () { return _controller.draftFields() }
        apply: function (fields) { _controller.applyDraft(fields) }
        reset: function () {
            _controller.clear()
            _controller.preselectTax()
            _flick.contentY = 0
        }
    }

    BusySpinner {
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: 11
        running: _private.loadingTaxes || _private.saving
    }

    QuestionPopup {
        id: _resendQuestion

        objectName: "resendQuestion"
        title: qsTr("Auftrag erneut speichern?")
        text: qsTr("Auf das letzte Speichern kam keine Antwort vom Server; der Auftrag ist vielleicht schon "
                   + "gespeichert. Bitte zuerst unter „Erfasste Aufträge“ nachsehen, damit er nicht doppelt erfasst wird.")
        acceptText: qsTr("Erneut speichern")
        onAccepted: _private.send()
    }

    NotificationBanner {
        id: _banner

        objectName: "banner"
        anchors.fill: parent
        z: 10
    }
}
