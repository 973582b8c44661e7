import QtQuick

// What every icon of a Glyph is drawn from. The Glyph binds these when it
// loads the icon, so the icon's shapes need nothing from outside.
Item {
    property real s
    property real stroke: 2
    property color color
}
