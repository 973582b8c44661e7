import QtQuick

// A check mark: a tall and a short edge of a box, tipped over. `size` is
// the height of the box it fits in; it centres itself in its parent.
Item {
    property real size: 16
    property real stroke: 2
    property color color: "black"

    width: size * 0.34
    height: size * 0.66
    x: (parent.width - width) / 2
    y: (parent.height - height) / 2 - size * 0.08
    rotation: 45
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
