import QtQuick

// A page built the first time it shows, and kept from then on: the pages
// behind the other tabs stay out of the start-up time. The page is a file
// of its own, built with the given properties: inside an inline Component
// it could reach the scene's ids only past qmllint and the compiler.
Item {
    property bool shown
    property url source
    property var properties

    anchors.fill: parent
    visible: shown
    onShownChanged: {
        if (shown && loader.status === Loader.Null)
            loader.setSource(source, properties)
    }

    Loader {
        id: loader
        anchors.fill: parent
    }
}
