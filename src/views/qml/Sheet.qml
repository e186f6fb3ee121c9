import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// A modal sheet. Its page is created anew each time it opens (so forms start from their
// initial values) and destroyed once it has closed. The page closes the sheet by emitting
// closeRequested().
Popup {
    id: sheet

    property Component page
    // Properties given to each new page: names and values of whatever the page declares, so
    // no type fits them all.
    property var pageProperties: ({})
    readonly property Item item: (contentItem as Loader)?.item as Item ?? null
    readonly property bool wide: parent ? parent.width > Theme.wideWidth : false

    parent: Overlay.overlay
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    padding: 0
    width: wide ? Math.min(parent.width - 96, 600) : (parent ? parent.width : 0)
    height: wide ? Math.min(parent.height - 96, 820) : (parent ? parent.height : 0)
    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? (parent.height - height) / 2 : 0

    enter: Transition {
        NumberAnimation {
            property: "opacity"
            from: 0
            to: 1
            duration: 150
        }
    }
    exit: Transition {
        NumberAnimation {
            property: "opacity"
            from: 1
            to: 0
            duration: 120
        }
    }

    background: Rectangle {
        color: sheet.Material.backgroundColor
        radius: sheet.wide ? 16 : 0
    }

    // No id on the loader: an id would make the deferred content assignment immediate.
    contentItem: Loader {
        active: sheet.visible
        focus: true
        clip: true
        onLoaded: {
            for (const key in sheet.pageProperties)
                item[key] = sheet.pageProperties[key]
        }
        sourceComponent: sheet.page
    }

    Connections {
        target: sheet.item
        ignoreUnknownSignals: true
        function onCloseRequested() {
            sheet.close()
        }
    }
}
