import QtQuick

// What every icon of a Glyph is drawn from. The Glyph binds these when it
// loads the icon, so the icon's shapes need nothing outside their Component,
// whose ids qmllint and the compiler cannot follow.
Item {
    property real s
    property real stroke: 2
    property color color
}
