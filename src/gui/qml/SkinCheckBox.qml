import QtQuick

// A check box that only shows `checked`: a click asks the program (through
// `toggled`) and the program sets the variable the box follows.
Item {
    id: box

    property string text
    property bool checked

    signal toggled()

    implicitHeight: Math.max(20, label.implicitHeight)
    implicitWidth: 20 + 10 + label.implicitWidth
    activeFocusOnTab: true

    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.focusable: true
    Accessible.onPressAction: toggled()
    Accessible.onToggleAction: toggled()

    Keys.onReturnPressed: toggled()
    Keys.onEnterPressed: toggled()
    Keys.onSpacePressed: toggled()

    Rectangle {
        id: square
        width: 20; height: 20
        y: 0
        radius: 4
        antialiasing: true
        color: box.checked ? (mouse.containsMouse ? Theme.accentHover : Theme.accent) : Theme.surface
        border.width: box.checked ? 0 : 1.5
        border.color: mouse.containsMouse ? Theme.accent : Theme.borderStrong

        Glyph {
            anchors.centerIn: parent
            width: 16; height: 16
            name: "check"
            color: "#ffffff"
            visible: box.checked
        }

        FocusRing {
            visible: box.activeFocus
            offset: 3
        }
    }

    Text {
        id: label
        x: 30
        width: box.width - x
        y: 1
        text: box.text
        wrapMode: Text.WordWrap
        color: Theme.text
        font.family: Theme.font
        font.pixelSize: Theme.textBody
        lineHeight: 1.15
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: box.toggled()
    }
}
