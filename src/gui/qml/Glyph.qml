import QtQuick

// Small line icons built from rectangles, so they stay sharp at any device
// pixel ratio and need no image files or extra modules. Only the named
// icon's shapes are created.
Item {
    id: glyph

    property string name
    property color color: Theme.text
    property real stroke: 2

    implicitWidth: 16
    implicitHeight: 16

    readonly property real s: Math.min(width, height)

    Loader {
        anchors.fill: parent
        sourceComponent: {
            switch (glyph.name) {
            case "minimise": return minimise
            case "close": return close
            case "tray": return tray
            case "down": return down
            case "up": return up
            case "plus": return plus
            case "download": return download
            case "stop": return stop
            case "check": return check
            case "selectAll": return selectAll
            case "done": return done
            default: return null
            }
        }
    }

    Component {
        id: minimise
        Item {
            GlyphBar { length: glyph.s * 0.7; stroke: glyph.stroke; color: glyph.color }
        }
    }

    Component {
        id: close
        Item {
            GlyphBar { length: glyph.s * 0.85; turn: 45; stroke: glyph.stroke; color: glyph.color }
            GlyphBar { length: glyph.s * 0.85; turn: -45; stroke: glyph.stroke; color: glyph.color }
        }
    }

    // An arrow going down onto a shelf: off to the notification area.
    Component {
        id: tray
        Item {
            GlyphChevron {
                arm: glyph.s * 0.42; shift: -glyph.s * 0.14
                stroke: glyph.stroke; color: glyph.color
            }
            GlyphBar {
                length: glyph.s * 0.8; y: glyph.height * 0.82 - glyph.stroke / 2
                stroke: glyph.stroke; color: glyph.color
            }
        }
    }

    Component {
        id: down
        Item {
            GlyphChevron {
                arm: glyph.s * 0.5; shift: -arm / (2 * Math.SQRT2)
                stroke: glyph.stroke; color: glyph.color
            }
        }
    }

    Component {
        id: up
        Item {
            GlyphChevron {
                arm: glyph.s * 0.5; turn: -135; shift: arm / (2 * Math.SQRT2)
                stroke: glyph.stroke; color: glyph.color
            }
        }
    }

    Component {
        id: plus
        Item {
            GlyphBar { length: glyph.s * 0.75; stroke: glyph.stroke; color: glyph.color }
            GlyphBar { length: glyph.s * 0.75; turn: 90; stroke: glyph.stroke; color: glyph.color }
        }
    }

    // A stem into an arrow head, over a base line.
    Component {
        id: download
        Item {
            GlyphChevron {
                id: head
                arm: glyph.s * 0.4; shift: glyph.s * 0.04
                stroke: glyph.stroke; color: glyph.color
            }
            Rectangle {
                readonly property real tip: glyph.height / 2 + head.shift + head.arm * Math.SQRT1_2
                width: glyph.stroke
                x: (glyph.width - width) / 2
                y: glyph.height * 0.08
                // Down into the solid corner of the head, so no notch shows.
                height: tip - glyph.stroke - y
                color: glyph.color
                antialiasing: true
            }
            GlyphBar {
                length: glyph.s * 0.8; y: glyph.height * 0.86 - glyph.stroke / 2
                stroke: glyph.stroke; color: glyph.color
            }
        }
    }

    Component {
        id: stop
        Item {
            Rectangle {
                width: glyph.s * 0.62; height: width
                anchors.centerIn: parent
                radius: 2
                color: glyph.color
                antialiasing: true
            }
        }
    }

    Component {
        id: check
        Item {
            GlyphCheck { size: glyph.s; stroke: glyph.stroke; color: glyph.color }
        }
    }

    // Every row: a check in a box.
    Component {
        id: selectAll
        Item {
            Rectangle {
                width: glyph.s * 0.84; height: width
                anchors.centerIn: parent
                radius: 3
                color: "transparent"
                border.width: glyph.stroke * 0.8
                border.color: glyph.color
                antialiasing: true
            }
            GlyphCheck { size: glyph.s * 0.62; stroke: glyph.stroke * 0.9; color: glyph.color }
        }
    }

    // Finished rows: a check in a circle.
    Component {
        id: done
        Item {
            Rectangle {
                width: glyph.s * 0.9; height: width
                anchors.centerIn: parent
                radius: width / 2
                color: "transparent"
                border.width: glyph.stroke * 0.8
                border.color: glyph.color
                antialiasing: true
            }
            GlyphCheck { size: glyph.s * 0.6; stroke: glyph.stroke * 0.9; color: glyph.color }
        }
    }
}
