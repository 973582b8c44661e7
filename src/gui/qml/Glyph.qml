import QtQuick

// Small line icons built from rectangles, so they stay sharp at any device
// pixel ratio and need no image files or extra modules.
Item {
    id: glyph

    property string name
    property color color: Theme.text
    property real stroke: 2

    implicitWidth: 16
    implicitHeight: 16

    readonly property real s: Math.min(width, height)

    // A chevron is the corner of a square's two edges, turned so that the
    // corner points in the wanted direction.
    component Chevron: Item {
        property real arm: glyph.s * 0.5
        property real turn: 45
        property real shift: 0
        width: arm
        height: arm
        x: (glyph.width - arm) / 2
        y: (glyph.height - arm) / 2 + shift
        rotation: turn
        antialiasing: true
        Rectangle {
            width: parent.width; height: glyph.stroke
            anchors.bottom: parent.bottom
            color: glyph.color; antialiasing: true
        }
        Rectangle {
            width: glyph.stroke; height: parent.height
            anchors.right: parent.right
            color: glyph.color; antialiasing: true
        }
    }

    component Bar: Rectangle {
        property real length: glyph.s * 0.75
        property real turn: 0
        width: length
        height: glyph.stroke
        radius: glyph.stroke / 2
        x: (glyph.width - width) / 2
        y: (glyph.height - height) / 2
        rotation: turn
        color: glyph.color
        antialiasing: true
    }

    // Window: minimise.
    Bar {
        visible: glyph.name === "minimise"
        length: glyph.s * 0.7
    }

    // Window: close, and "remove".
    Item {
        anchors.fill: parent
        visible: glyph.name === "close"
        Bar { turn: 45; length: glyph.s * 0.85 }
        Bar { turn: -45; length: glyph.s * 0.85 }
    }

    // Window: to the tray — an arrow going down onto a shelf.
    Item {
        anchors.fill: parent
        visible: glyph.name === "tray"
        Chevron { arm: glyph.s * 0.42; shift: -glyph.s * 0.14 }
        Bar { length: glyph.s * 0.8; y: glyph.height * 0.82 - glyph.stroke / 2 }
    }

    Chevron {
        visible: glyph.name === "down"
        arm: glyph.s * 0.5
        shift: -arm / (2 * Math.SQRT2)
    }

    Chevron {
        visible: glyph.name === "up"
        arm: glyph.s * 0.5
        turn: -135
        shift: arm / (2 * Math.SQRT2)
    }

    Item {
        anchors.fill: parent
        visible: glyph.name === "plus"
        Bar { length: glyph.s * 0.75 }
        Bar { length: glyph.s * 0.75; turn: 90 }
    }

    // Download: a stem into an arrow head, over a base line.
    Item {
        anchors.fill: parent
        visible: glyph.name === "download"
        Chevron {
            id: head
            arm: glyph.s * 0.4
            shift: glyph.s * 0.04
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
        Bar { length: glyph.s * 0.8; y: glyph.height * 0.86 - glyph.stroke / 2 }
    }

    Rectangle {
        visible: glyph.name === "stop"
        width: glyph.s * 0.62; height: width
        anchors.centerIn: parent
        radius: 2
        color: glyph.color
        antialiasing: true
    }

    // A check mark: a tall and a short edge of a box, tipped over.
    Item {
        visible: glyph.name === "check"
        width: glyph.s * 0.34
        height: glyph.s * 0.66
        x: (glyph.width - width) / 2
        y: (glyph.height - height) / 2 - glyph.s * 0.08
        rotation: 45
        antialiasing: true
        Rectangle {
            width: parent.width; height: glyph.stroke
            anchors.bottom: parent.bottom
            color: glyph.color; antialiasing: true
        }
        Rectangle {
            width: glyph.stroke; height: parent.height
            anchors.right: parent.right
            color: glyph.color; antialiasing: true
        }
    }
}
