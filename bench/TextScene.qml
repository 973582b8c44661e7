import QtQuick

// The empty scene with one line in the skin's font: what the first text of
// any Qt Quick window costs before it shows.
Rectangle {
    width: 640
    height: 600
    color: "#f3f5f8"

    Text {
        x: 35
        y: 108
        text: "Video page address"
        font.family: "DejaVu Sans"
        font.pixelSize: 13
    }
}
