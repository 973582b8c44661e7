import QtQuick

// One page tab in the header. `busy` shows the activity dot (a run is on);
// `attention` rings it while the user looks at another page.
Item {
    id: tab

    property string text
    property bool selected
    property bool busy
    property bool attention

    signal activated()

    // Sized for the bold label of the selected tab, so that selecting a tab
    // does not move its neighbours.
    implicitWidth: Math.ceil(boldLabel.advanceWidth) + 28
    implicitHeight: 44
    activeFocusOnTab: true

    Accessible.role: Accessible.PageTab
    Accessible.name: text
    Accessible.focusable: true
    Accessible.selectable: true
    Accessible.selected: selected
    Accessible.description: busy ? qsTr("Downloading") : ""
    Accessible.onPressAction: activated()

    TextMetrics {
        id: boldLabel
        text: tab.text
        font.family: Theme.font
        font.pixelSize: Theme.textBody
        font.bold: true
    }

    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Keys.onSpacePressed: activated()

    Rectangle {
        id: face
        anchors.fill: parent
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        radius: Theme.radius
        color: mouse.containsMouse && !tab.selected ? Theme.headerHover : "transparent"
    }

    Text {
        id: label
        x: 14
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: -1
        text: tab.text
        color: tab.selected ? Theme.headerText
                            : mouse.containsMouse ? "#d9e2ec" : Theme.headerMuted
        font.family: Theme.font
        font.pixelSize: Theme.textBody
        font.bold: tab.selected
    }

    // The dot sits in the tab's right padding like a badge, so that the tabs
    // never move when it comes and goes.
    Item {
        objectName: "activityDot"
        x: label.x + label.width + 6
        y: label.y + 2
        width: 6; height: 6
        visible: tab.busy
        Rectangle {
            anchors.centerIn: parent
            width: 12; height: 12; radius: 6
            color: "transparent"
            border.width: 1.5
            border.color: Theme.accentOnDark
            visible: tab.attention
            antialiasing: true
        }
        Rectangle {
            anchors.fill: parent
            radius: 3
            color: Theme.accentOnDark
            antialiasing: true
        }
    }

    // The selected page's underline sits on the header's lower edge.
    Rectangle {
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width - 16
        height: 3
        radius: 1.5
        color: Theme.accentOnDark
        visible: tab.selected
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: tab.activated()
    }

    FocusRing {
        target: face
        visible: tab.activeFocus
        ringColor: Theme.accentOnDark
        offset: 1
    }
}
