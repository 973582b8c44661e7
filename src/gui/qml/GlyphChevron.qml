import QtQuick

// A chevron: the corner of two edges of a square, turned so that the corner
// points the wanted way. It centres itself in its parent.
Item {
    property real arm: 8
    property real turn: 45
    property real shift: 0
    property real stroke: 2
    property color color: "black"

    width: arm
    height: arm
    x: (parent.width - arm) / 2
    y: (parent.height - arm) / 2 + shift
    rotation: turn
    antialiasing: true

    Rectangle {
        width: parent.width; height: parent.stroke
        anchors.bottom: parent.bottom
        color: parent.color; antialiasing: true
    }
    Rectangle {
        width: parent.stroke; height: parent.height
        anchors.right: parent.right
        color: parent.color; antialiasing: true
    }
}
