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
        id: icon
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

    Binding { target: icon.item; property: "s"; value: glyph.s }
    Binding { target: icon.item; property: "stroke"; value: glyph.stroke }
    Binding { target: icon.item; property: "color"; value: glyph.color }

    Component {
        id: minimise
        GlyphShape {
            id: shape
            GlyphBar { length: shape.s * 0.7; stroke: shape.stroke; color: shape.color }
        }
    }

    Component {
        id: close
        GlyphShape {
            id: shape
            GlyphBar { length: shape.s * 0.85; turn: 45; stroke: shape.stroke; color: shape.color }
            GlyphBar { length: shape.s * 0.85; turn: -45; stroke: shape.stroke; color: shape.color }
        }
    }

    // An arrow going down onto a shelf: off to the notification area.
    Component {
        id: tray
        GlyphShape {
            id: shape
            GlyphChevron {
                arm: shape.s * 0.42; shift: -shape.s * 0.14
                stroke: shape.stroke; color: shape.color
            }
            GlyphBar {
                length: shape.s * 0.8; y: shape.height * 0.82 - shape.stroke / 2
                stroke: shape.stroke; color: shape.color
            }
        }
    }

    Component {
        id: down
        GlyphShape {
            id: shape
            GlyphChevron {
                arm: shape.s * 0.5; shift: -arm / (2 * Math.SQRT2)
                stroke: shape.stroke; color: shape.color
            }
        }
    }

    Component {
        id: up
        GlyphShape {
            id: shape
            GlyphChevron {
                arm: shape.s * 0.5; turn: -135; shift: arm / (2 * Math.SQRT2)
                stroke: shape.stroke; color: shape.color
            }
        }
    }

    Component {
        id: plus
        GlyphShape {
            id: shape
            GlyphBar { length: shape.s * 0.75; stroke: shape.stroke; color: shape.color }
            GlyphBar { length: shape.s * 0.75; turn: 90; stroke: shape.stroke; color: shape.color }
        }
    }

    // A stem into an arrow head, over a base line.
    Component {
        id: download
        GlyphShape {
            id: shape
            GlyphChevron {
                id: head
                arm: shape.s * 0.4; shift: shape.s * 0.04
                stroke: shape.stroke; color: shape.color
            }
            Rectangle {
                readonly property real tip: shape.height / 2 + head.shift + head.arm * Math.SQRT1_2
                width: shape.stroke
                x: (shape.width - width) / 2
                y: shape.height * 0.08
                // Down into the solid corner of the head, so no notch shows.
                height: tip - shape.stroke - y
                color: shape.color
                antialiasing: true
            }
            GlyphBar {
                length: shape.s * 0.8; y: shape.height * 0.86 - shape.stroke / 2
                stroke: shape.stroke; color: shape.color
            }
        }
    }

    Component {
        id: stop
        GlyphShape {
            id: shape
            Rectangle {
                width: shape.s * 0.62; height: width
                anchors.centerIn: parent
                radius: 2
                color: shape.color
                antialiasing: true
            }
        }
    }

    Component {
        id: check
        GlyphShape {
            id: shape
            GlyphCheck { size: shape.s; stroke: shape.stroke; color: shape.color }
        }
    }

    // Every row: a check in a box.
    Component {
        id: selectAll
        GlyphShape {
            id: shape
            Rectangle {
                width: shape.s * 0.84; height: width
                anchors.centerIn: parent
                radius: 3
                color: "transparent"
                border.width: shape.stroke * 0.8
                border.color: shape.color
                antialiasing: true
            }
            GlyphCheck { size: shape.s * 0.62; stroke: shape.stroke * 0.9; color: shape.color }
        }
    }

    // Finished rows: a check in a circle.
    Component {
        id: done
        GlyphShape {
            id: shape
            Rectangle {
                width: shape.s * 0.9; height: width
                anchors.centerIn: parent
                radius: width / 2
                color: "transparent"
                border.width: shape.stroke * 0.8
                border.color: shape.color
                antialiasing: true
            }
            GlyphCheck { size: shape.s * 0.6; stroke: shape.stroke * 0.9; color: shape.color }
        }
    }
}
