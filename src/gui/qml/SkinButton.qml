import QtQuick

// The skin's one button. `kind` picks its look: "primary" (the accent),
// "danger", "secondary" (outlined), "ghost" (flat, for tool rows) and
// "window" / "windowClose" (the title bar's buttons on the dark header).
Rectangle {
    id: button

    property string text
    property string glyph
    property string kind: "secondary"
    property string accessibleName: text
    // Shown by the host when the pointer rests on the button; a button
    // without a label says at least what its name says.
    property string toolTip: text.length > 0 ? "" : accessibleName
    property int padding: 16
    readonly property bool down: mouse.pressed
    readonly property bool hovered: mouse.containsMouse
    readonly property bool onDark: kind === "window" || kind === "windowClose"

    signal activated()

    implicitHeight: Theme.controlHeight
    implicitWidth: text.length > 0
        ? content.implicitWidth + 2 * padding
        : implicitHeight
    radius: Theme.radius
    antialiasing: true
    activeFocusOnTab: true

    color: {
        switch (kind) {
        case "primary":
            return down ? Theme.accentPressed : hovered ? Theme.accentHover : Theme.accent
        case "danger":
            return down ? Theme.stopHover : hovered ? Theme.stopHover : Theme.stop
        case "window":
            return down ? Theme.header : hovered ? Theme.headerHover : "transparent"
        case "windowClose":
            return down ? Theme.stopHover : hovered ? Theme.closeHover : "transparent"
        case "ghost":
            return down ? Theme.border : hovered ? Theme.surfaceSunken : "transparent"
        default:
            return down ? Theme.surfaceSunken : hovered ? Theme.accentSoft : Theme.surface
        }
    }
    border.width: kind === "secondary" ? 1 : 0
    border.color: hovered ? Theme.accent : Theme.borderStrong

    readonly property color foreground: {
        switch (kind) {
        case "primary":
        case "danger":
            return "#ffffff"
        case "window":
            return hovered ? Theme.headerText : Theme.headerMuted
        case "windowClose":
            return hovered ? "#ffffff" : Theme.headerMuted
        case "secondary":
            return Theme.accent
        default:
            return Theme.text
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.focusable: true
    Accessible.onPressAction: activated()

    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Keys.onSpacePressed: activated()

    Row {
        id: content
        anchors.centerIn: parent
        spacing: 8
        Glyph {
            name: button.glyph
            visible: button.glyph.length > 0
            color: button.foreground
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            text: button.text
            visible: text.length > 0
            color: button.foreground
            font.family: Theme.font
            font.pixelSize: Theme.textBody
            font.bold: button.kind === "primary" || button.kind === "danger"
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.activated()
    }

    FocusRing {
        ringColor: button.onDark ? Theme.accentOnDark : Theme.accent
        offset: button.onDark ? 1 : 3
    }
}
