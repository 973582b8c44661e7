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
    // Round like the control it rings, when that control is rounded at all.
    readonly property Rectangle rectangleTarget: target as Rectangle
    radius: (rectangleTarget ? rectangleTarget.radius : Theme.radius) + offset
    color: "transparent"
    border.width: 2
    border.color: ringColor
    visible: target && target.activeFocus
    antialiasing: true
}
