pragma Singleton
import QtQuick

// One palette and one type scale for the whole skin, so that every page
// keeps the same spacing, colours and font.
QtObject {
    readonly property string font: "DejaVu Sans"

    // The single accent colour; white text on it and it on white both stay
    // above 4.5:1.
    readonly property color accent: "#0f7c8c"
    readonly property color accentHover: "#0b6673"
    readonly property color accentPressed: "#08525c"
    readonly property color accentSoft: "#e3f2f4"
    // Focus rings on the dark header need a lighter shade to stand out.
    readonly property color accentOnDark: "#5fc9d6"

    readonly property color header: "#14202b"
    readonly property color headerText: "#ffffff"
    readonly property color headerMuted: "#9fb3c8"
    readonly property color headerHover: "#223240"

    readonly property color page: "#f3f5f8"
    readonly property color surface: "#ffffff"
    readonly property color surfaceSunken: "#eef1f5"
    readonly property color border: "#d3dbe4"
    readonly property color borderStrong: "#a9b6c4"
    readonly property color text: "#1b2631"
    readonly property color textMuted: "#55677a"

    readonly property color stop: "#b93a2e"
    readonly property color stopHover: "#9e3025"
    readonly property color closeHover: "#c42b1c"

    readonly property int radius: 6
    readonly property int gap: 12
    readonly property int margin: 35
    readonly property int controlHeight: 36

    readonly property int textSmall: 11
    readonly property int textBody: 13
    readonly property int textTitle: 16
}
