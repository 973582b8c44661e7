import QtQuick

// Nothing but the skin's size and a colour: what any Qt Quick window pays
// before it shows.
Rectangle {
    width: 640
    height: 600
    color: "#f3f5f8"
}
