import QtQuick
import Clipvane.Skin

// The Settings page: the download folder, clipboard watching, pages of
// other sites, the quality of streams, yt-dlp and the transfers'
// connections and speed. Built the first time it shows.
Item {
    id: page

    required property SceneVariables vars
    required property SceneCommandChannel commands
    // The width of the download list, which the page's cards line up with.
    required property real contentWidth

    readonly property bool monitoring: vars.autoToDownloadList_CB === "1"

    function send(command: string) {
        commands.send(command, "")
    }

    // One choice of the Quality row, drawn filled while it is the setting; a
    // click asks the program, which sets the variable the row follows.
    component QualityButton: SkinButton {
        property bool chosen
        height: 32
        padding: 12
        kind: chosen ? "primary" : "secondary"
        accessibleName: qsTr("Quality: %1").arg(text)
    }

    // Keeps a control that takes the keyboard focus in sight.
    function reveal(item: Item) {
        const top = item.mapToItem(cards, 0, 0).y
        if (top + item.height > settingsView.contentY + settingsView.height)
            settingsView.contentY = top + item.height - settingsView.height + 16
        else if (top < settingsView.contentY)
            settingsView.contentY = Math.max(0, top - 16)
    }

    // The cards are taller than the window: the page scrolls.
    Flickable {
        id: settingsView
        x: 0
        y: 112
        width: page.width
        height: page.height - y
        contentWidth: width
        contentHeight: cards.height + 16
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        Column {
            id: cards
            x: Theme.margin
            width: page.contentWidth
            spacing: 16

            Rectangle {
                width: parent.width
                height: folderSection.implicitHeight + 40
                radius: Theme.radius + 2
                color: Theme.surface
                border.width: 1
                border.color: Theme.border
                antialiasing: true

                Column {
                    id: folderSection
                    x: 20; y: 20
                    width: parent.width - 40
                    spacing: 6
                    Text {
                        text: qsTr("Download folder")
                        color: Theme.text
                        font.family: Theme.font
                        font.pixelSize: Theme.textTitle - 1
                        font.bold: true
                    }
                    Text {
                        text: qsTr("Downloaded videos are saved in this folder.")
                        color: Theme.textMuted
                        font.family: Theme.font
                        font.pixelSize: Theme.textBody
                    }
                    Item { width: 1; height: 6 }
                    Item {
                        width: parent.width
                        height: 38
                        Rectangle {
                            width: browseButton.x - Theme.gap
                            height: parent.height
                            radius: Theme.radius
                            color: Theme.surfaceSunken
                            border.width: 1
                            border.color: Theme.border
                            antialiasing: true
                            Text {
                                objectName: "downloadDirText"
                                anchors.fill: parent
                                anchors.leftMargin: 12
                                anchors.rightMargin: 12
                                verticalAlignment: Text.AlignVCenter
                                text: page.vars.download_dir
                                elide: Text.ElideMiddle
                                property string toolTip: truncated ? text : ""
                                color: Theme.text
                                font.family: Theme.font
                                font.pixelSize: Theme.textBody
                            }
                        }
                        SkinButton {
                            id: browseButton
                            objectName: "browseButton"
                            anchors.right: parent.right
                            y: 1
                            width: 120
                            text: qsTr("Browse…")
                            accessibleName: qsTr("Browse for the download folder")
                            onActivated: page.send("ID_FS_downloadBrowse")
                        }
                    }
                }
            }

            Rectangle {
                width: parent.width
                height: clipboardSection.implicitHeight + 40
                radius: Theme.radius + 2
                color: Theme.surface
                border.width: 1
                border.color: Theme.border
                antialiasing: true

                Column {
                    id: clipboardSection
                    x: 20; y: 20
                    width: parent.width - 40
                    spacing: 6
                    Text {
                        text: qsTr("Clipboard")
                        color: Theme.text
                        font.family: Theme.font
                        font.pixelSize: Theme.textTitle - 1
                        font.bold: true
                    }
                    Text {
                        width: parent.width
                        text: qsTr("When a copied address belongs to a supported video site (or to any site, with the option below), it joins the list and downloading starts by itself.")
                        wrapMode: Text.WordWrap
                        color: Theme.textMuted
                        font.family: Theme.font
                        font.pixelSize: Theme.textBody
                        lineHeight: 1.15
                    }
                    Item { width: 1; height: 6 }
                    SkinCheckBox {
                        objectName: "monitorCheckBox"
                        width: parent.width
                        text: qsTr("Monitor video URL's in clipboard and automatically add and download")
                        checked: page.monitoring
                        onToggled: page.send(checked ? "ID_FS_autoDownloadUncheck"
                                                      : "ID_FS_autoDownloadCheck")
                    }
                    SkinCheckBox {
                        objectName: "notifyCheckBox"
                        width: parent.width
                        text: qsTr("Notify when downloads finish")
                        checked: page.vars.notify_CB === "1"
                        onToggled: page.send(checked ? "ID_FS_notifyUncheck" : "ID_FS_notifyCheck")
                    }
                }
            }

            Rectangle {
                width: parent.width
                height: otherSitesSection.implicitHeight + 40
                radius: Theme.radius + 2
                color: Theme.surface
                border.width: 1
                border.color: Theme.border
                antialiasing: true

                Column {
                    id: otherSitesSection
                    x: 20; y: 20
                    width: parent.width - 40
                    spacing: 6
                    Text {
                        text: qsTr("Other sites")
                        color: Theme.text
                        font.family: Theme.font
                        font.pixelSize: Theme.textTitle - 1
                        font.bold: true
                    }
                    Text {
                        width: parent.width
                        text: qsTr("Pages that name their video the standard way, and links straight to a video file.")
                        wrapMode: Text.WordWrap
                        color: Theme.textMuted
                        font.family: Theme.font
                        font.pixelSize: Theme.textBody
                        lineHeight: 1.15
                    }
                    Item { width: 1; height: 6 }
                    SkinCheckBox {
                        objectName: "anySiteCheckBox"
                        width: parent.width
                        text: qsTr("Also find videos on pages of other sites")
                        checked: page.vars.anySite_CB === "1"
                        onToggled: page.send(checked ? "ID_FS_anySiteUncheck" : "ID_FS_anySiteCheck")
                    }
                    // Which picture of a stream offered in several sizes is saved.
                    Row {
                        spacing: 8
                        Text {
                            width: 110
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("Quality")
                            color: Theme.text
                            font.family: Theme.font
                            font.pixelSize: Theme.textBody
                        }
                        QualityButton {
                            objectName: "qualityBestButton"
                            text: qsTr("Best")
                            chosen: page.vars.quality === "best"
                            onActivated: page.send("ID_FS_qualityBest")
                        }
                        QualityButton {
                            objectName: "quality1080pButton"
                            text: "1080p"
                            chosen: page.vars.quality === "1080"
                            onActivated: page.send("ID_FS_quality1080")
                        }
                        QualityButton {
                            objectName: "quality720pButton"
                            text: "720p"
                            chosen: page.vars.quality === "720"
                            onActivated: page.send("ID_FS_quality720")
                        }
                        QualityButton {
                            objectName: "quality480pButton"
                            text: "480p"
                            chosen: page.vars.quality === "480"
                            onActivated: page.send("ID_FS_quality480")
                        }
                        QualityButton {
                            objectName: "qualitySmallestButton"
                            text: qsTr("Smallest")
                            chosen: page.vars.quality === "smallest"
                            onActivated: page.send("ID_FS_qualitySmallest")
                        }
                    }
                }
            }

            Rectangle {
                width: parent.width
                height: ytDlpSection.implicitHeight + 40
                radius: Theme.radius + 2
                color: Theme.surface
                border.width: 1
                border.color: Theme.border
                antialiasing: true

                Column {
                    id: ytDlpSection
                    x: 20; y: 20
                    width: parent.width - 40
                    spacing: 6
                    Text {
                        text: "yt-dlp"
                        color: Theme.text
                        font.family: Theme.font
                        font.pixelSize: Theme.textTitle - 1
                        font.bold: true
                    }
                    Text {
                        width: parent.width
                        text: qsTr("With other sites on, yt-dlp finds the video first; this program downloads it.")
                        wrapMode: Text.WordWrap
                        color: Theme.textMuted
                        font.family: Theme.font
                        font.pixelSize: Theme.textBody
                        lineHeight: 1.15
                    }
                    Item { width: 1; height: 6 }
                    Item {
                        width: parent.width
                        height: 38
                        Rectangle {
                            width: versionText.x - Theme.gap
                            height: parent.height
                            radius: Theme.radius
                            color: Theme.surfaceSunken
                            border.width: ytDlpField.activeFocus ? 2 : 1
                            border.color: ytDlpField.activeFocus ? Theme.accent : Theme.border
                            antialiasing: true
                            TextInput {
                                id: ytDlpField
                                objectName: "ytDlpProgramField"
                                anchors.fill: parent
                                anchors.leftMargin: 12
                                anchors.rightMargin: 12
                                verticalAlignment: TextInput.AlignVCenter
                                clip: true
                                activeFocusOnTab: true
                                selectByMouse: true
                                color: Theme.text
                                selectionColor: Theme.accent
                                selectedTextColor: "#ffffff"
                                font.family: Theme.font
                                font.pixelSize: Theme.textBody
                                text: page.vars.ytDlpProgram
                                onTextEdited: page.vars.ytDlpProgram = text
                                onEditingFinished: page.send("ID_FS_ytDlpProgram")
                                onActiveFocusChanged: if (activeFocus) page.reveal(ytDlpField)
                                Accessible.role: Accessible.EditableText
                                Accessible.name: qsTr("yt-dlp program")
                                Text {
                                    anchors.fill: parent
                                    verticalAlignment: Text.AlignVCenter
                                    text: qsTr("yt-dlp program (empty: yt-dlp on PATH)")
                                    color: Theme.textMuted
                                    font: ytDlpField.font
                                    visible: ytDlpField.text.length === 0
                                }
                            }
                        }
                        Text {
                            id: versionText
                            objectName: "ytDlpVersionText"
                            anchors.right: parent.right
                            width: 180
                            height: parent.height
                            verticalAlignment: Text.AlignVCenter
                            horizontalAlignment: Text.AlignRight
                            elide: Text.ElideRight
                            text: page.vars.ytDlpVersion
                            color: Theme.textMuted
                            font.family: Theme.font
                            font.pixelSize: Theme.textBody
                        }
                    }
                    SkinCheckBox {
                        id: playlistAllBox
                        objectName: "playlistAllCheckBox"
                        onActiveFocusChanged: if (activeFocus) page.reveal(playlistAllBox)
                        width: parent.width
                        text: qsTr("Playlist addresses add every video")
                        checked: page.vars.playlistAll_CB === "1"
                        onToggled: page.send(checked ? "ID_FS_playlistAllUncheck"
                                                      : "ID_FS_playlistAllCheck")
                    }
                    SkinButton {
                        id: cookiesButton
                        objectName: "cookiesBrowserButton"
                        onActiveFocusChanged: if (activeFocus) page.reveal(cookiesButton)
                        width: 280
                        text: qsTr("Cookies from browser: %1").arg(page.vars.cookiesBrowser)
                        accessibleName: qsTr("Cookies from browser: %1").arg(page.vars.cookiesBrowser)
                        onActivated: page.send("ID_FS_cookiesBrowserNext")
                    }
                }
            }

            Rectangle {
                width: parent.width
                height: transfersSection.implicitHeight + 40
                radius: Theme.radius + 2
                color: Theme.surface
                border.width: 1
                border.color: Theme.border
                antialiasing: true

                Column {
                    id: transfersSection
                    x: 20; y: 20
                    width: parent.width - 40
                    spacing: 10
                    Text {
                        text: qsTr("Transfers")
                        color: Theme.text
                        font.family: Theme.font
                        font.pixelSize: Theme.textTitle - 1
                        font.bold: true
                    }
                    // The field's text becomes the limit once editing is done;
                    // the program shows the setting again if it refuses it.
                    Row {
                        spacing: 8
                        SkinCheckBox {
                            id: speedLimitBox
                            objectName: "speedLimitCheckBox"
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("Limit download speed to")
                            checked: page.vars.speedLimit_CB === "1"
                            onActiveFocusChanged: if (activeFocus) page.reveal(speedLimitBox)
                            onToggled: page.send(checked ? "ID_FS_speedLimitUncheck"
                                                          : "ID_FS_speedLimitCheck")
                        }
                        Rectangle {
                            width: 100
                            height: 34
                            radius: Theme.radius
                            color: Theme.surfaceSunken
                            border.width: speedLimitField.activeFocus ? 2 : 1
                            border.color: speedLimitField.activeFocus ? Theme.accent : Theme.border
                            antialiasing: true
                            TextInput {
                                id: speedLimitField
                                objectName: "speedLimitField"
                                anchors.fill: parent
                                anchors.leftMargin: 10
                                anchors.rightMargin: 10
                                verticalAlignment: TextInput.AlignVCenter
                                horizontalAlignment: TextInput.AlignRight
                                clip: true
                                activeFocusOnTab: true
                                selectByMouse: true
                                color: Theme.text
                                selectionColor: Theme.accent
                                selectedTextColor: "#ffffff"
                                font.family: Theme.font
                                font.pixelSize: Theme.textBody
                                text: page.vars.speedLimit
                                onTextEdited: page.vars.speedLimit = text
                                onEditingFinished: page.send("ID_FS_speedLimit")
                                onActiveFocusChanged: if (activeFocus) page.reveal(speedLimitField)
                                Accessible.role: Accessible.EditableText
                                Accessible.name: qsTr("Speed limit in KiB/s")
                            }
                        }
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("KiB/s")
                            color: Theme.text
                            font.family: Theme.font
                            font.pixelSize: Theme.textBody
                        }
                    }
                    // The program keeps the number within 1 to 16.
                    Row {
                        spacing: 8
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("Connections per download")
                            color: Theme.text
                            font.family: Theme.font
                            font.pixelSize: Theme.textBody
                        }
                        SkinButton {
                            id: connectionsLessButton
                            objectName: "connectionsLessButton"
                            height: 32
                            padding: 12
                            text: "−"
                            accessibleName: qsTr("Fewer connections")
                            onActiveFocusChanged: if (activeFocus) page.reveal(connectionsLessButton)
                            onActivated: page.send("ID_FS_connectionsLess")
                        }
                        Text {
                            objectName: "connectionsText"
                            width: 28
                            anchors.verticalCenter: parent.verticalCenter
                            horizontalAlignment: Text.AlignHCenter
                            text: page.vars.connections
                            color: Theme.text
                            font.family: Theme.font
                            font.pixelSize: Theme.textBody
                        }
                        SkinButton {
                            id: connectionsMoreButton
                            objectName: "connectionsMoreButton"
                            height: 32
                            padding: 12
                            text: "+"
                            accessibleName: qsTr("More connections")
                            onActiveFocusChanged: if (activeFocus) page.reveal(connectionsMoreButton)
                            onActivated: page.send("ID_FS_connectionsMore")
                        }
                    }
                }
            }
        }
    }
}
