import QtQuick

// A page built the first time it shows, and kept from then on: the pages
// behind the other tabs stay out of the start-up time.
Item {
    property bool shown
    property Component page

    anchors.fill: parent
    visible: shown
    onShownChanged: if (shown) loader.active = true

    Loader {
        id: loader
        anchors.fill: parent
        active: false
        sourceComponent: parent.page
    }
}
