import QtQuick 2.15
import QtQuick.Controls 2.15

// A text field with a drop-down box of suggestions that the host fetches while
// the user types. The host defines `makeRequest(text)` on its instance: it
// starts its search and, on the reply, clears and refills `searchListModel`
// (hiding `searchfield` when there are no hits, or exactly one that equals the text).
// `delegate_name` picks the kind of rows: "customer_fullname", "articlegroup", "category".
Item {
    id: _field

    // the field's text
    property alias controlText: _textfield.text
    // the suggestions, as the host appended them
    property alias searchListModel: _model
    // the suggestion box
    property alias searchfield: _box
    // the text field itself
    property alias textfield: _textfield
    // what assistive technology calls the field (its caption)
    property string accessibleName: ""
    // the kind of suggestions (see above)
    property string delegate_name: "customer_fullname"
    // the row marked by the arrow keys (-1: none)
    readonly property alias currentIndex: _list.currentIndex

    // a suggestion was chosen; the field has taken its key into the text
    signal itemclicked(int index)
    // the text changed and does not match the current suggestion
    signal item_not_correct()

    // Supplied by the host: starts a search for `text`.
    function makeRequest(text) {
    }

    // The text a row shows in the box.
    function rowText(row) {
        if (!row)
            return ""
        switch (delegate_name) {
        case "articlegroup": return row.articlename + " - " + row.typ
        default: return keyText(row)
        }
    }

    // The text a chosen row puts into the field.
    function keyText(row) {
        if (!row)
            return ""
        switch (delegate_name) {
        case "customer_fullname": return row.surname + " " + row.lastname
        case "articlegroup": return "" + row.articlename
        case "category": return "" + row.name
        default: return ""
        }
    }

    height: 53 * c_Scale
    z: 100

    onItemclicked: {
        if (index >= 0 && index < _model.count)
            _textfield.text = keyText(_model.get(index))
    }

    TextField {
        id: _textfield

        objectName: "suggestionsInput"
        anchors.fill: parent
        // the style's paddings (8 above, 16 below a 53 pixel field) shrink with
        // the field, so that a low field (scale 0.7) does not cut off the tops
        // of capitals
        topPadding: _field.height * 8 / 53
        bottomPadding: _field.height * 16 / 53
        selectByMouse: true
        Accessible.name: _field.accessibleName

        onActiveFocusChanged: if (activeFocus) selectAll()

        onTextChanged: {
            if (text.length < 2)
                return
            _field.makeRequest(text)
            _box.visible = true
            var current = _list.currentIndex
            if (current < 0 || current >= _model.count)
                return
            if (text.toLowerCase() === _field.keyText(_model.get(current)).toLowerCase()) {
                _field.itemclicked(current)
                _box.visible = false
            } else {
                _field.item_not_correct()
            }
        }

        Keys.onUpPressed: {
            if (_model.count === 0)
                return
            _list.currentIndex = _list.currentIndex <= 0 ? _model.count - 1 : _list.currentIndex - 1
        }
        Keys.onDownPressed: {
            if (_model.count === 0)
                return
            _list.currentIndex = _list.currentIndex >= _model.count - 1 ? 0 : _list.currentIndex + 1
        }
        Keys.onReturnPressed: _private.takeCurrent()
        Keys.onEnterPressed: _private.takeCurrent()
        Keys.onEscapePressed: {
            _model.clear()
            _box.visible = false
        }
    }

    QtObject {
        id: _private

        // Return: the current row becomes the choice.
        function takeCurrent() {
            var current = _list.currentIndex
            if (_model.count === 0 || current < 0 || current >= _model.count)
                return
            _textfield.text = _field.keyText(_model.get(current))
            _field.itemclicked(current)
        }
    }

    ListModel {
        id: _model

        // no row is current in an empty list, and the first one once there are
        // suggestions (the same whether the box is shown or not)
        onCountChanged: {
            if (count === 0)
                _list.currentIndex = -1
            else if (_list.currentIndex < 0 || _list.currentIndex >= count)
                _list.currentIndex = 0
        }
    }

    Rectangle {
        id: _box

        objectName: "suggestionBox"
        y: _textfield.height - 8 * c_Scale
        width: _textfield.width
        height: 101
        visible: false
        color: "#ddd"
        border.width: 1
        border.color: "#aaa"

        ListView {
            id: _list

            anchors.fill: parent
            anchors.margins: 1
            clip: true
            spacing: 5 * c_Scale
            model: _model
            highlightMoveDuration: 0
            highlight: Rectangle { color: "lightsteelblue" }

            delegate: Item {
                width: ListView.view.width
                height: 30 * c_Scale

                Text {
                    objectName: "rowText"
                    anchors.left: parent.left
                    anchors.leftMargin: 10 * c_Scale
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    elide: Text.ElideRight
                    // records of the backend: never read as markup
                    textFormat: Text.PlainText
                    // reads the roles through `model` so the text follows changes of the row
                    text: _field.rowText(model)
                }
                Accessible.role: Accessible.ListItem
                Accessible.name: _field.rowText(model)
                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        _list.currentIndex = index
                        _field.itemclicked(index)
                    }
                }
            }
        }
    }
}
