import QtQuick 2.15

// The user manager's page: not more than a red card yet.
Rectangle {
    color: "red"
    radius: 10
}
