import QtQuick
import Clipvane.Skin

// The Settings page: the download folder, clipboard watching and pages of
// other sites. Built the first time it shows.
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

    Column {
        x: Theme.margin
        y: 112
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
                    text: "Download folder"
                    color: Theme.text
                    font.family: Theme.font
                    font.pixelSize: Theme.textTitle - 1
                    font.bold: true
                }
                Text {
                    text: "Downloaded videos are saved in this folder."
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
                        text: "Browse…"
                        accessibleName: "Browse for the download folder"
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
                    text: "Clipboard"
                    color: Theme.text
                    font.family: Theme.font
                    font.pixelSize: Theme.textTitle - 1
                    font.bold: true
                }
                Text {
                    width: parent.width
                    text: "When a copied address belongs to a supported video site (or to any site, with the option below), it joins the list and downloading starts by itself."
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
                    text: "Monitor video URL's in clipboard and automatically add and download"
                    checked: page.monitoring
                    onToggled: page.send(checked ? "ID_FS_autoDownloadUncheck"
                                                  : "ID_FS_autoDownloadCheck")
                }
                SkinCheckBox {
                    objectName: "notifyCheckBox"
                    width: parent.width
                    text: "Notify when downloads finish"
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
                    text: "Other sites"
                    color: Theme.text
                    font.family: Theme.font
                    font.pixelSize: Theme.textTitle - 1
                    font.bold: true
                }
                Text {
                    width: parent.width
                    text: "Pages that name their video the standard way, and links straight to a video file."
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
                    text: "Also find videos on pages of other sites"
                    checked: page.vars.anySite_CB === "1"
                    onToggled: page.send(checked ? "ID_FS_anySiteUncheck" : "ID_FS_anySiteCheck")
                }
            }
        }
    }
}
