import QtQuick
import Clipvane.Skin

// The main window's face. It reads the program's variables from `vars`
// and tells the program everything through `commands`; the host hands it
// both.
// The download grid is a separate widget laid over `listArea` while the
// Download page shows, so that rectangle stays empty here.
Rectangle {
    id: scene
    objectName: "scene"

    width: 640
    height: 600
    color: Theme.page

    required property SceneVariables vars
    required property SceneCommandChannel commands

    // "download", "settings" or "about".
    property string page: "download"

    // "0" in either run variable means a run is on; "1" or nothing means idle.
    readonly property bool running: vars.startDownload === "0" || vars.downloadBtn === "0"
    readonly property bool runMarked: vars.downloadTab === "0"
    readonly property bool monitoring: vars.autoToDownloadList_CB === "1"
    readonly property var aboutLines: vars.abouttxt.split(/\r?\n/)

    // Where the grid lies over the skin; fixed by the main window's layout.
    readonly property rect listRect: Qt.rect(35, 282, 573, 180)

    function send(command: string) {
        commands.send(command, "")
    }

    function showPage(name, tab, command) {
        const focused = Window.activeFocusItem
        page = name
        // A control on the page just hidden cannot keep the keyboard focus;
        // it goes to the tab that was chosen.
        if (focused && !focused.visible)
            tab.forceActiveFocus()
        send(command)
    }

    // ---- Header: title row (drag, window buttons) and the page tabs ----

    Rectangle {
        id: header
        width: parent.width
        height: 88
        color: Theme.header

        MouseArea {
            objectName: "dragArea"
            anchors.fill: parent
            onPressed: scene.send("IDC_FS_Drag")
        }

        Row {
            x: Theme.margin
            y: 12
            spacing: 10
            // The program's icon as the tray and the desktop show it (data/icons),
            // drawn from shapes: an image here would leave its texture behind
            // with every skin the software renderer lets go of.
            Rectangle {
                objectName: "programIcon"
                width: 22; height: 22; radius: 5
                color: Theme.accent
                antialiasing: true
                anchors.verticalCenter: parent.verticalCenter
                // The play sign: the right half of a square turned on its
                // corner, drawn wider.
                Item {
                    x: 6.7; y: 2.75; width: 4.2; height: 8.3
                    clip: true
                    transform: Scale { xScale: 1.6 }
                    Rectangle {
                        width: 5.9; height: 5.9
                        x: -width / 2; y: (parent.height - height) / 2
                        rotation: 45
                        color: "#ffffff"
                        antialiasing: true
                    }
                }
                // An arrow going down onto a lighter shelf.
                Repeater {
                    // The stem, then the head's two strokes meeting at its tip.
                    model: [[10.1, 11.9, 1.8, 4.8, 0], [7.0, 14.5, 5.4, 1.8, 45],
                            [9.6, 14.5, 5.4, 1.8, -45]]
                    Rectangle {
                        required property var modelData
                        x: modelData[0]; y: modelData[1]
                        width: modelData[2]; height: modelData[3]; radius: 0.9
                        rotation: modelData[4]
                        color: "#ffffff"
                        antialiasing: true
                    }
                }
                Rectangle {
                    x: 5.1; y: 18.1; width: 11.8; height: 1.6; radius: 0.8
                    color: "#a8dfe6"
                    antialiasing: true
                }
            }
            Text {
                text: "Clipvane"
                color: Theme.headerText
                font.family: Theme.font
                font.pixelSize: Theme.textTitle
                font.bold: true
                anchors.verticalCenter: parent.verticalCenter
            }
        }

        Row {
            anchors.right: parent.right
            anchors.rightMargin: 8
            y: 6
            spacing: 2
            SkinButton {
                objectName: "minimiseButton"
                kind: "window"; glyph: "minimise"
                accessibleName: qsTr("Minimise")
                width: 40; height: 30
                onActivated: scene.send("IDC_FS_Minimize")
            }
            SkinButton {
                objectName: "trayButton"
                kind: "window"; glyph: "tray"
                // Where the desktop has none, the button minimises instead.
                accessibleName: scene.vars.trayAvailable === "0"
                                ? qsTr("Minimise (the desktop has no notification area)")
                                : qsTr("Hide in the notification area")
                width: 40; height: 30
                onActivated: scene.send("IDC_FS_Tray")
            }
            SkinButton {
                objectName: "closeButton"
                kind: "windowClose"; glyph: "close"
                accessibleName: qsTr("Close")
                width: 40; height: 30
                onActivated: scene.send("IDC_FS_Close")
            }
        }

        Row {
            x: Theme.margin - 14
            anchors.bottom: parent.bottom
            spacing: 4
            PageTab {
                id: downloadTab
                objectName: "downloadTab"
                text: qsTr("Download")
                selected: scene.page === "download"
                busy: scene.runMarked
                // The program asks for this when a run starts while the
                // About page shows: the user is elsewhere, point at the run.
                attention: busy && scene.vars.downloadBtnTab === "1" && !selected
                KeyNavigation.right: settingsTab
                onActivated: scene.showPage("download", downloadTab, "IDC_FS_Download")
            }
            PageTab {
                id: settingsTab
                objectName: "settingsTab"
                text: qsTr("Settings")
                selected: scene.page === "settings"
                KeyNavigation.left: downloadTab
                KeyNavigation.right: aboutTab
                onActivated: scene.showPage("settings", settingsTab, "IDC_FS_Slider")
            }
            PageTab {
                id: aboutTab
                objectName: "aboutTab"
                text: qsTr("About")
                selected: scene.page === "about"
                KeyNavigation.left: settingsTab
                onActivated: scene.showPage("about", aboutTab, "IDC_FS_About")
            }
        }
    }

    // ---- Download page ----

    Item {
        id: downloadPage
        objectName: "downloadPage"
        anchors.fill: parent
        visible: scene.page === "download"

        Text {
            x: Theme.margin
            y: 108
            text: qsTr("Video page address")
            color: Theme.textMuted
            font.family: Theme.font
            font.pixelSize: Theme.textSmall
            font.bold: true
            font.capitalization: Font.AllUppercase
            font.letterSpacing: 0.6
        }

        Rectangle {
            id: urlBox
            x: Theme.margin
            y: 128
            width: addButton.x - Theme.gap - x
            height: 38
            radius: Theme.radius
            color: Theme.surface
            border.width: urlField.activeFocus ? 2 : 1
            border.color: urlField.activeFocus ? Theme.accent
                        : urlMouse.containsMouse ? Theme.borderStrong : Theme.border
            antialiasing: true

            MouseArea {
                id: urlMouse
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.IBeamCursor
                onPressed: (mouse) => { urlField.forceActiveFocus(); mouse.accepted = false }
            }

            TextInput {
                id: urlField
                objectName: "urlField"
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                verticalAlignment: TextInput.AlignVCenter
                clip: true
                focus: true
                activeFocusOnTab: true
                selectByMouse: true
                color: Theme.text
                selectionColor: Theme.accent
                selectedTextColor: "#ffffff"
                font.family: Theme.font
                font.pixelSize: Theme.textBody

                text: scene.vars.video_url
                // Only the user's own edits go back to the program; the
                // program's own settings arrive through the binding above.
                onTextEdited: scene.vars.video_url = text
                onAccepted: addButton.activated()

                Accessible.role: Accessible.EditableText
                Accessible.name: qsTr("Video page address")

                Text {
                    anchors.fill: parent
                    verticalAlignment: Text.AlignVCenter
                    text: qsTr("Paste the address of a video's page")
                    color: Theme.textMuted
                    font: urlField.font
                    visible: urlField.text.length === 0
                }
            }
        }

        SkinButton {
            id: addButton
            objectName: "addButton"
            x: scene.listRect.x + scene.listRect.width - width
            y: urlBox.y + 1
            width: 132
            height: 36
            kind: "secondary"
            glyph: "plus"
            text: qsTr("Add to list")
            accessibleName: qsTr("Add to download list")
            onActivated: {
                scene.send("IDC_FS_addDownloadURL")
                urlField.selectAll()
            }
        }

        // The list card: a heading with the run button, the grid's place,
        // and the tools that act on the list's selection.
        Rectangle {
            id: listCard
            x: scene.listRect.x - 1
            y: 200
            width: scene.listRect.width + 2
            height: listTools.y + listTools.height + 1 - y
            radius: Theme.radius + 2
            color: Theme.surface
            border.width: 1
            border.color: Theme.border
            antialiasing: true
        }

        Column {
            x: scene.listRect.x + 16
            y: listCard.y + 18
            width: startButton.x - x - Theme.gap
            spacing: 4
            Text {
                text: qsTr("Download list")
                color: Theme.text
                font.family: Theme.font
                font.pixelSize: Theme.textTitle
                font.bold: true
            }
            Text {
                objectName: "saveToText"
                width: parent.width
                text: (scene.running ? qsTr("Downloading to %1") : qsTr("Saving to %1")).arg(scene.vars.download_dir)
                elide: Text.ElideMiddle
                property string toolTip: truncated ? text : ""
                color: scene.running ? Theme.accent : Theme.textMuted
                font.family: Theme.font
                font.pixelSize: Theme.textSmall + 1
            }
        }

        SkinButton {
            id: startButton
            objectName: "startButton"
            x: addButton.x - 16
            y: listCard.y + 20
            width: 132
            height: 40
            kind: scene.running ? "danger" : "primary"
            glyph: scene.running ? "stop" : "download"
            text: scene.running ? qsTr("Stop") : qsTr("Start")
            accessibleName: scene.running ? qsTr("Stop downloading") : qsTr("Start downloading")
            onActivated: scene.send(scene.running ? "IDC_FS_stopDownload"
                                                  : "IDC_FS_startDownload")
        }

        Rectangle {
            id: listArea
            objectName: "listArea"
            x: scene.listRect.x - 1
            y: scene.listRect.y - 1
            width: scene.listRect.width + 2
            height: scene.listRect.height + 2
            color: Theme.surfaceSunken
            border.width: 1
            border.color: Theme.border
            // Its turn in the Tab order; the host hands the focus on to the
            // grid lying here.
            activeFocusOnTab: true
            Accessible.role: Accessible.Table
            Accessible.name: qsTr("Download list")
            Accessible.focusable: true

            FocusRing { offset: 1 }

            Column {
                anchors.centerIn: parent
                spacing: 8
                Glyph {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 24; height: 24
                    name: "download"
                    color: Theme.borderStrong
                }
                Text {
                    text: qsTr("Added videos appear here")
                    color: Theme.textMuted
                    font.family: Theme.font
                    font.pixelSize: Theme.textBody
                }
            }
        }

        Item {
            id: listTools
            x: scene.listRect.x
            y: listArea.y + listArea.height
            width: scene.listRect.width
            height: 48

            Row {
                x: 8
                anchors.verticalCenter: parent.verticalCenter
                spacing: 4
                SkinButton {
                    objectName: "selectAllButton"
                    kind: "ghost"; glyph: "selectAll"; text: qsTr("Select all")
                    toolTip: qsTr("Select All")
                    height: 32; padding: 10
                    onActivated: scene.send("IDC_FS_selectAllD")
                }
                SkinButton {
                    objectName: "removeSelectedButton"
                    kind: "ghost"; glyph: "close"; text: qsTr("Remove selected")
                    accessibleName: qsTr("Remove selected items")
                    toolTip: qsTr("Remove Selected Items")
                    height: 32; padding: 10
                    onActivated: scene.send("IDC_FS_removeSelectedD")
                }
                Rectangle { width: 1; height: 20; color: Theme.border; anchors.verticalCenter: parent.verticalCenter }
                SkinButton {
                    objectName: "moveUpButton"
                    kind: "ghost"; glyph: "up"
                    accessibleName: qsTr("Move item up")
                    toolTip: qsTr("Move Item Up")
                    width: 32; height: 32
                    onActivated: scene.send("IDC_FS_moveUp")
                }
                SkinButton {
                    objectName: "moveDownButton"
                    kind: "ghost"; glyph: "down"
                    accessibleName: qsTr("Move item down")
                    toolTip: qsTr("Move item down")
                    width: 32; height: 32
                    onActivated: scene.send("IDC_FS_moveDown")
                }
            }

            SkinButton {
                objectName: "clearCompleteButton"
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                kind: "ghost"; glyph: "done"; text: qsTr("Clear completed")
                accessibleName: qsTr("Clear completed items")
                toolTip: qsTr("Clear Completed items")
                height: 32; padding: 10
                onActivated: scene.send("ID_FS_clearComplete")
            }
        }

        Row {
            x: Theme.margin
            y: listCard.y + listCard.height + 22
            spacing: 8
            Rectangle {
                width: 8; height: 8; radius: 4
                anchors.verticalCenter: parent.verticalCenter
                color: scene.monitoring ? Theme.accent : Theme.borderStrong
                antialiasing: true
            }
            Text {
                objectName: "monitorStatusText"
                // Beside the dot, up to the right margin; longer languages wrap.
                width: scene.width - 2 * Theme.margin - 16
                wrapMode: Text.WordWrap
                visible: scene.vars.transferLine.length === 0
                text: scene.monitoring
                      ? qsTr("Watching the clipboard: copied video page addresses are added and downloaded.")
                      : qsTr("Clipboard watching is off. Turn it on in Settings.")
                color: Theme.textMuted
                font.family: Theme.font
                font.pixelSize: Theme.textSmall + 1
            }
            // While a file arrives the line tells how it goes instead.
            Text {
                objectName: "transferText"
                visible: text.length > 0
                text: scene.vars.transferLine
                color: Theme.text
                font.family: Theme.font
                font.pixelSize: Theme.textSmall + 1
            }
        }
    }

    // ---- Settings page ----

    LazyPage {
        objectName: "settingsPage"
        shown: scene.page === "settings"
        source: "SettingsPage.qml"
        properties: ({vars: scene.vars, commands: scene.commands,
                      contentWidth: scene.listRect.width})
    }

    // ---- About page ----

    LazyPage {
        objectName: "aboutPage"
        shown: scene.page === "about"
        source: "AboutPage.qml"
        properties: ({vars: scene.vars, commands: scene.commands})
    }
}
