// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// A modal sheet. Its page is created anew each time it opens (so forms start from their
// initial values) and destroyed once it has closed. The page closes the sheet by emitting
// closeRequested(). With a keyboard, Enter takes the page's primary action (a page that has one
// declares `function submit(): bool`, true when it acted) and Escape closes the sheet, asking
// first once something was typed into it.
Popup {
    id: sheet

    property Component page
    // Properties given to each new page: names and values of whatever the page declares, so
    // no type fits them all.
    property var pageProperties: ({})
    readonly property Item item: (contentItem as Loader)?.item as Item ?? null
    readonly property bool wide: parent ? parent.width > Theme.wideWidth : false
    // Whether the user typed into a field of this page since it opened.
    property bool edited: false
    readonly property Item focusedItem: parent ? parent.Window.activeFocusItem : null

    function submit(): bool {
        return sheet.item !== null && sheet.submitPage(sheet.item)
    }
    // Untyped: each page type declares its own submit().
    function submitPage(page): bool {
        return typeof page.submit === "function" && page.submit() === true
    }
    function dismiss() {
        if (sheet.edited)
            discardQuestion.get().open()
        else
            sheet.close()
    }
    function holds(item: Item): bool {
        for (let p = item; p; p = p.parent) {
            if (p === sheet.item)
                return true
        }
        return false
    }

    parent: Overlay.overlay
    modal: true
    focus: true
    // Escape is the shortcut below, which may ask first.
    closePolicy: Popup.NoAutoClose
    padding: 0
    width: wide ? Math.min(parent.width - 96, 600) : (parent ? parent.width : 0)
    height: wide ? Math.min(parent.height - 96, 820) : (parent ? parent.height : 0)
    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? (parent.height - height) / 2 : 0
    onAboutToShow: edited = false

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
        // A text field lets Enter through to here; a multi-line one keeps it.
        Keys.onReturnPressed: event => event.accepted = sheet.submit()
        Keys.onEnterPressed: event => event.accepted = sheet.submit()
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

    // Only what the user types counts: textEdited is not emitted for a text a form set itself.
    Connections {
        target: sheet.opened ? sheet.focusedItem : null
        ignoreUnknownSignals: true
        function onTextEdited() {
            if (sheet.holds(sheet.focusedItem))
                sheet.edited = true
        }
    }

    Shortcut {
        // Open sheets only: a closed one would take Escape from the whole window.
        enabled: sheet.opened
        sequence: "Escape"
        onActivated: sheet.dismiss()
    }

    LazyPopup {
        id: discardQuestion
        owner: sheet.contentItem
        component: Dialog {
            id: question
            objectName: "discardQuestion"
            parent: Overlay.overlay
            anchors.centerIn: parent
            width: Math.min(parent.width - 48, 360)
            modal: true
            title: qsTr("放弃已输入的内容？")
            footer: DialogButtonBox {
                Button {
                    objectName: "keepEditingButton"
                    text: qsTr("继续编辑")
                    flat: true
                    DialogButtonBox.buttonRole: Dialog.RejectRole
                }
                Button {
                    objectName: "discardButton"
                    text: qsTr("放弃")
                    flat: true
                    Material.foreground: Theme.red
                    DialogButtonBox.buttonRole: Dialog.DestructiveRole
                    onClicked: {
                        question.close()
                        sheet.close()
                    }
                }
            }
        }
    }
}
