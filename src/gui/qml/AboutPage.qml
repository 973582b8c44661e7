import QtQuick
import Clipvane.Skin

// The About page: the program's name, version and description, help and
// web site. Built the first time it shows.
Item {
    id: page

    required property SceneVariables vars
    required property SceneCommandChannel commands

    readonly property var aboutLines: vars.abouttxt.split(/\r?\n/)

    function send(command: string) {
        commands.send(command, "")
    }

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        y: 140
        width: 460
        spacing: 10

        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 64; height: 64; radius: 16
            color: Theme.accent
            antialiasing: true
            Glyph {
                anchors.centerIn: parent
                width: 36; height: 36
                name: "download"
                stroke: 4
                color: "#ffffff"
            }
        }
        Item { width: 1; height: 4 }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Clipvane"
            color: Theme.text
            font.family: Theme.font
            font.pixelSize: 28
            font.bold: true
        }
        Text {
            objectName: "aboutVersionText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: page.aboutLines[0]
            color: Theme.textMuted
            font.family: Theme.font
            font.pixelSize: Theme.textBody
        }
        Item { width: 1; height: 6 }
        Text {
            objectName: "aboutDescriptionText"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: page.aboutLines.slice(1).join("\n")
            wrapMode: Text.WordWrap
            color: Theme.text
            font.family: Theme.font
            font.pixelSize: Theme.textBody + 1
            lineHeight: 1.3
        }
        Item { width: 1; height: 14 }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: Theme.gap
            SkinButton {
                objectName: "helpButton"
                width: 120
                text: qsTr("Help")
                onActivated: page.send("IDC_FS_help")
            }
            SkinButton {
                objectName: "webSiteButton"
                width: 120
                text: qsTr("Web site")
                onActivated: page.send("ID_FS_webSite")
            }
        }
    }
}
