import QtQuick 2.15
import QtTest 1.15

import "../../src/delegates"
import "../../src/delegates/parts"
import "../../src/delegates/orderRows.js" as OrderRows
import "../../static"

// The shared card parts: the option flag's bracketed amounts, a card's
// pointer states with its action column, and what an order card shows of the
// row a list keeps of a record.
TestCase {
    id: _case
    name: "CardParts"
    when: windowShown
    visible: true
    width: 800
    height: 400

    Component {
        id: _optionComponent
        OptionFlag { width: 400 }
    }

    Component {
        id: _cardComponent
        CardFrame {
            width: 600
            height: 300
            actions: [
                { name: "modify", glyph: "\uf0ad", color: "blue" },
                { name: "delete", glyph: "\uf1f8", color: "red" }
            ]
            CardHeader {
                width: parent.width
                name: "Erika Muster"
                subtitle: 7
                recordId: 42
            }
        }
    }

    function test_optionFlags_data() {
        return [
            { tag: "plain set", props: { checked: true, label: "Zustellung Samstags" },
              text: "Zustellung Samstags", glyph: "\uf00c" },
            { tag: "plain unset", props: { checked: false, label: "Zustellung Samstags" },
              text: "Zustellung Samstags", glyph: "\uf00d" },
            { tag: "amount set", props: { checked: true, label: "Zeitfensterzustellung", hasAmount: true, amount: "12.50" },
              text: "Zeitfensterzustellung [12.50]", glyph: "\uf00c" },
            { tag: "amount unset", props: { checked: false, label: "Zeitfensterzustellung", hasAmount: true, amount: "12.50" },
              text: "Zeitfensterzustellung [-]", glyph: "\uf00d" },
            { tag: "amount missing", props: { checked: true, label: "Zeitfensterzustellung", hasAmount: true, amount: null },
              text: "Zeitfensterzustellung []", glyph: "\uf00c" }
        ]
    }

    function test_optionFlags(data) {
        var option = createTemporaryObject(_optionComponent, _case, data.props)
        compare(findChild(option, "label").text, data.text)
        compare(findChild(option, "glyph").text, data.glyph)
    }

    function test_cardStatesAndActions() {
        var card = createTemporaryObject(_cardComponent, _case)
        var column = card.actionColumn
        var triggered = createTemporaryObject(_spyComponent, _case, { target: card, signalName: "actionTriggered" })
        var clicked = createTemporaryObject(_spyComponent, _case, { target: card, signalName: "itemClicked" })
        compare(column.visible, false, "hidden at first")
        mouseMove(card, 100, 100)
        compare(String(card.color), "#ededed", "darker under the pointer")
        mousePress(card, 100, 100)
        compare(String(card.color), "#f7f7f7", "pressed")
        compare(clicked.count, 1)
        mouseRelease(card, 100, 100)
        card.entersItem()
        compare(card.state, "actionsbutton_activ")
        tryCompare(column, "width", 80 * c_Scale, 1000)
        // moving onto a button keeps the card active
        var deleteButton = findChild(column, "delete")
        mouseMove(deleteButton, 5, 5)
        verify(card.active)
        mouseClick(deleteButton)
        compare(triggered.count, 1)
        compare(triggered.signalArguments[0][0], "delete")
        // leaving the card hides the actions again
        mouseMove(_case, 790, 390)
        compare(card.state, "")
        compare(String(card.color), "#ffffff")
        tryCompare(column, "visible", false, 1000)
    }

    Component {
        id: _listComponent
        ListView {
            width: 600
            height: 300
            model: 30
            reuseItems: true
            // the current card is never used again
            currentIndex: -1
            delegate: CardFrame {
                height: 100
                actions: [{ name: "modify", glyph: "\uf0ad", color: "blue" }]
            }
        }
    }

    function test_reusedCardsStartNormal() {
        var list = createTemporaryObject(_listComponent, _case)
        var first = list.itemAtIndex(0)
        first.entersItem()
        for (var y = 0; y <= 1000; y += 50) {
            list.contentY = y
            list.forceLayout()
        }
        var reused = false
        for (var i = 0; i < list.count; ++i) {
            var card = list.itemAtIndex(i)
            if (card === first) {
                reused = true
                compare(card.state, "", "no actions for another record")
                compare(String(card.color), "#ffffff")
            }
        }
        verify(reused, "the card was used again")
    }

    Sendungsart {
        id: _shipmentTypes
    }

    // one record's row in a model with fixed roles, as the lists keep it, and its card
    Component {
        id: _rowCardComponent
        Item {
            property alias model: _rows
            property alias card: _view.card
            width: 1100
            height: 400
            ListModel { id: _rows }
            Repeater {
                id: _view
                property Item card: count > 0 ? itemAt(0) : null
                model: _rows
                ErfDelegate {
                    width: 1000
                    order: model
                    shipmentTypes: _shipmentTypes
                }
            }
        }
    }

    function test_orderCardShowsItsRow_data() {
        var full = { id: 12, datum: "03.02.2025", textbeschreibung: "Paket", belegnummer: "B-1", gewicht: 2.5,
                     referenz: null, einkaufspreis: "8.00", verkaufspreis: 12.5, sendungsart: 3,
                     customer_assignment: { id: 7, surname: "Erika", lastname: "Muster" }, taxes: { tax: "20 %" },
                     zeitfensterzustellung: true, betrag_fuer_zeitfenstereinstellungen: 4,
                     abholung_samstags: "true" }
        var bare = { id: 13, sendungsart: "3", customer_assignment: null, taxes: null }
        return [
            { tag: "complete", record: full, name: "Erika Muster", subtitle: "7", gewicht: "2.5", referenz: "",
              verkaufspreis: "12.5", sendungsart: "Overnight", tax: "20 %",
              zeitfenster: "Zeitfensterzustellung [4]", zeitfensterChecked: "\uf00c", samstags: "\uf00d" },
            { tag: "without customer, tax and values", record: bare, name: "", subtitle: "", gewicht: "", referenz: "",
              verkaufspreis: "", sendungsart: "", tax: "",
              zeitfenster: "Zeitfensterzustellung [-]", zeitfensterChecked: "\uf00d", samstags: "\uf00d" }
        ]
    }

    // The card shows of a row what it showed of the whole record.
    function test_orderCardShowsItsRow(data) {
        var holder = createTemporaryObject(_rowCardComponent, _case)
        holder.model.append(OrderRows.orderRow(data.record))
        var card = holder.card
        verify(card)
        var header = findChild(card, "header")
        compare(findChild(header, "name").text, data.name)
        compare(findChild(header, "subtitle").text, data.subtitle)
        compare(findChild(header, "recordId").text, String(data.record.id))
        var details = findChild(card, "details")
        compare(findChild(details, "gewicht").text, data.gewicht)
        compare(findChild(details, "referenz").text, data.referenz)
        compare(findChild(details, "verkaufspreis").text, data.verkaufspreis)
        compare(findChild(details, "sendungsart").text, data.sendungsart)
        compare(findChild(details, "tax").text, data.tax)
        var options = findChild(card, "options")
        compare(findChild(findChild(options, "zeitfensterzustellung"), "label").text, data.zeitfenster)
        compare(findChild(findChild(options, "zeitfensterzustellung"), "glyph").text, data.zeitfensterChecked)
        compare(findChild(findChild(options, "abholung_samstags"), "glyph").text, data.samstags,
                "a flag counts only when it is true")
    }

    Component {
        id: _spyComponent
        SignalSpy {}
    }
}
