import QtQuick

// A rounded stroke, centred in its parent unless placed otherwise.
Rectangle {
    property real length: 12
    property real stroke: 2
    property real turn: 0

    width: length
    height: stroke
    radius: stroke / 2
    x: (parent.width - width) / 2
    y: (parent.height - height) / 2
    rotation: turn
    antialiasing: true
}
