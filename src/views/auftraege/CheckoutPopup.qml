import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Controls.Material 2.15
import QtQuick.Layouts 1.15

import "../../../static/colors.js" as Colors
import "../../../static"
import "../../../static/NotificationState.js" as NotificationState
import "../../../dynamic/variables.js" as Dynamic
import "../../api/request.js" as Request
import "../../api/service_assignment.js" as ServiceAssignment
import "../../controls"

// "Abrechnung": the backend's billing preview of one order, or of all open
// orders of a customer, with its positions, the amounts per tax rate and the
// total; "Abrechnen" (or Return) confirms exactly the preview shown.
ViewPopup {
    id: _checkout

    // 0: one order; 1: all open orders of a customer
    property int mode: -1
    // the order's id (mode 0) or the customer's id (mode 1)
    property int idof: -1
    // the id of the billing prepared by the preview shown now; -1 while there is none
    property int checkout_id: -1
    // true while a confirmation is outstanding
    readonly property bool confirming: _confirming
    // the direction catalogue, which names the positions' directions
    property var directions: null
    // the shipment-type catalogue, which names the positions' services
    property var shipmentTypes: null
    // the positions overview model (header row first)
    readonly property alias positions: _positions
    // the price table model (label and value rows per tax rate)
    readonly property alias prices: _prices
    // the total as shown
    readonly property alias totalText: _total.text

    // the preview was confirmed: the orders are billed
    signal billed()
    // what went wrong while the popup is closed (while open, its own banner tells)
    signal failed(string text)

    // Opens the popup for one order (mode 0) or all open orders of a customer (mode 1).
    function openFor(p_mode, p_id) {
        mode = p_mode
        idof = p_id
        open()
    }

    // Asks the backend for the preview of the current mode and id.
    function loadPreview() {
        var request = ++_serial
        checkout_id = -1
        _positions.clearModel()
        _prices.tablemodel.clear()
        _total.text = ""
        ++_pending
        var fn = mode === 1 ? ServiceAssignment.checkout_assignment_multiple
                            : ServiceAssignment.checkout_assignment_single
        fn(idof, Dynamic.getToken(), function (reply, status, reason) {
            --_pending
            if (request !== _serial)
                return // the popup was closed or opened for another preview meanwhile
            if (!_isPreview(reply)) {
                close()
                failed(Request.withReason(qsTr("Abrechnung konnte nicht vorbereitet werden"), reason))
                return
            }
            _show(reply)
        })
    }

    // "Abrechnen": bills the preview shown. Nothing happens before its
    // preview has arrived or while a confirmation is outstanding.
    function confirm() {
        if (checkout_id < 0 || _confirming)
            return
        var request = _serial
        _confirming = true
        ++_pending
        ServiceAssignment.confirm_checkout_assignment(checkout_id, Dynamic.getToken(), function (reply, status, reason) {
            _confirming = false
            --_pending
            var shown = request === _serial
            // any 2xx: the backend billed (a second confirmation would be refused, never bill twice)
            if (reply === 0 || Request.isSuccess(status)) {
                if (shown)
                    close()
                billed()
                return
            }
            var message = status === 0
                    ? [qsTr("Ergebnis unklar"), qsTr("Keine Antwort vom Server: ob abgerechnet wurde, ist unklar. "
                                                     + "Bitte die erfassten Aufträge prüfen."), NotificationState.WARNING]
                    : [qsTr("Nicht Erfolgreich"), Request.withReason(qsTr("Auftrag konnte nicht abgerechnet werden"), reason),
                       NotificationState.ERROR]
            if (shown)
                notify(message)
            else
                failed(message[1])
        })
    }

    // the number of the preview whose replies still count
    property int _serial: 0
    property int _pending: 0
    property bool _confirming: false

    // A preview with the id to confirm and its orders (one record, or a list for a customer).
    function _isPreview(reply) {
        if (!Request.isRecord(reply) || typeof reply.id !== "number")
            return false
        return mode === 1 ? Request.isList(reply.assignment) : Request.isRecord(reply.assignment)
    }

    function _keyAt(catalogue, position) {
        if (!catalogue || typeof position !== "number" || position < 0 || position >= catalogue.count)
            return position
        return catalogue.get(position).key
    }

    function _show(r) {
        var orders = mode === 1 ? r.assignment : [r.assignment]
        for (var i = 0; i < orders.length; ++i) {
            var a = orders[i]
            _positions.appendRow(i + 1, a.textbeschreibung, _keyAt(directions, a.richtung), a.gewicht,
                                 _keyAt(shipmentTypes, a.sendungsart), a.verkaufspreis)
        }
        var rates = [["Nettobetrag\n(leistung innerh. der EU)", "Umsatzsteuer 19%", "19"],
                     ["Nettobetrag\n(leistung innerh. der EU)", "Umsatzsteuer 16%", "16"],
                     ["Nettobetrag\n(Leistungen grenzuber. Drittl.)", "Umsatzsteuer 0%", "0"]]
        for (var j = 0; j < rates.length; ++j) {
            var rate = rates[j][2]
            _prices.appendRow(rates[j][0], rates[j][1], "Summe")
            _prices.appendRow(r["net_amount" + rate] + " €", r["sales_tax" + rate] + " €", r["sum_tax" + rate] + " €")
        }
        _positionsWidget.model = null
        _positionsWidget.model = _positions.tablemodel
        _positionsWidget.contentY = _positionsWidget.originY
        _total.text = r.total_cost + " €"
        checkout_id = r.id
    }

    backdropColor: "#FFF59D"
    // Return bills the preview shown, Escape closes
    defaultButton: _confirm
    panelColor: "white"
    scrollHeight: 1070 * c_Scale
    busy: _pending > 0

    onOpened: loadPreview()
    // replies for a popup that is no longer open count no more
    onClosed: ++_serial

    PositionsubersichtTableModel {
        id: _positions
    }

    PreistabelleTableModel {
        id: _prices
    }

    ColumnLayout {
        width: parent.width
        spacing: 20 * c_Scale

        Text {
            objectName: "title"
            text: qsTr("Abrechnung")
            font.family: CustomFonts.names.montserrat
            font.pixelSize: 40 * c_Scale
            color: Colors.c_nav_font
        }

        Rectangle {
            Layout.fillWidth: true
            height: 1
            color: "#dddddd"
        }

        Text {
            text: qsTr("Rechnungsdetails")
            font.family: CustomFonts.names.nunitoSans
            font.bold: true
            font.pixelSize: 25 * c_Scale
            color: Colors.c_nav_font
        }

        Text {
            text: qsTr("Positionsübersicht")
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 20 * c_Scale
            color: Colors.c_nav_font
        }

        PositionsuebersichtTblWidget {
            id: _positionsWidget

            objectName: "positionsWidget"
            Layout.fillWidth: true
            // as high as its rows, up to a good part of the view; more rows scroll
            Layout.preferredHeight: Math.min(rowsHeight, _checkout.height / 1.8)
            model: _positions.tablemodel
        }

        Text {
            text: qsTr("Preistabelle")
            font.family: CustomFonts.names.nunitoSans
            font.pixelSize: 20 * c_Scale
            color: Colors.c_nav_font
        }

        // the price table, and below it at the right the total and "Abrechnen"
        Item {
            Layout.fillWidth: true
            Layout.preferredHeight: Math.max(100 * c_Scale, _pricesWidget.rowsHeight)

            PreistabelleTblWidget {
                id: _pricesWidget

                objectName: "pricesWidget"
                model: _prices.tablemodel
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 10 * c_Scale

            Row {
                id: _totalRow

                Layout.alignment: Qt.AlignRight
                spacing: 20 * c_Scale

                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    font.family: CustomFonts.names.fontAwesomeRegular
                    font.bold: true
                    font.pixelSize: 50 * c_Scale
                    color: Colors.c_nav_font
                    text: "\uf1ec"
                }

                Text {
                    id: _total

                    objectName: "total"
                    horizontalAlignment: Text.AlignRight
                    textFormat: Text.PlainText
                    font.family: CustomFonts.names.montserrat
                    font.pixelSize: 70 * c_Scale
                    color: Colors.c_nav_font
                }
            }

            Rectangle {
                Layout.alignment: Qt.AlignRight
                Layout.preferredWidth: _totalRow.implicitWidth
                Layout.preferredHeight: 5
                color: Colors.c_nav_font
            }

            DefaultButton {
                id: _confirm

                objectName: "confirmButton"
                Layout.alignment: Qt.AlignRight
                text: qsTr("Abrechnen")
                font.capitalization: Font.AllUppercase
                font.pixelSize: 20 * c_Scale
                enabled: _checkout.checkout_id >= 0 && !_checkout.confirming
                onClicked: _checkout.confirm()
            }
        }
    }
}
