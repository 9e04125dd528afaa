import QtQuick 2.15

// A QtObject that can hold child objects (a FontLoader, for instance).
QtObject {
    id: _object

    default property alias children: _object.objects
    property list<QtObject> objects: [
        QtObject {}
    ]
}
