import QtQuick

// The keyboard focus mark: a ring just outside the focused control, so that
// it never changes the control's own look or size.
Rectangle {
    objectName: "focusRing"

    property Item target: parent
    property color ringColor: Theme.accent
    property int offset: 3

    anchors.fill: target
    anchors.margins: -offset
    radius: (target && target.radius !== undefined ? target.radius : Theme.radius) + offset
    color: "transparent"
    border.width: 2
    border.color: ringColor
    visible: target && target.activeFocus
    antialiasing: true
}
