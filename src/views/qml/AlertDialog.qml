// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts

// An alert with one "确定" button. It opens while `shown` is true; dismissing it emits
// acknowledged(), whose handler clears the error behind it (which sets `shown` false).
// One at a time: a new error while it is open keeps `shown` true and replaces `message` and
// `detail` in the open alert; no second alert opens behind it.
Dialog {
    id: root

    property bool shown: false
    property string message
    // A second line in caption font right under the message (empty: none). Callers pass the
    // "\n建议：…" form of a suggestion; the line break is dropped, since the caption starts on
    // its own line already and would otherwise leave an empty line under the message.
    property string detail

    signal acknowledged()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(parent ? parent.width - 48 : 320, 400)
    modal: true
    closePolicy: Popup.CloseOnEscape

    onShownChanged: shown ? open() : close()
    Component.onCompleted: if (shown) open()
    onClosed: if (shown) acknowledged()

    contentItem: ColumnLayout {
        spacing: 4
        Label {
            objectName: "alertMessage"
            Layout.fillWidth: true
            text: root.message
            wrapMode: Text.Wrap
        }
        Label {
            objectName: "alertDetail"
            Layout.fillWidth: true
            visible: text !== ""
            text: root.detail.replace(/^\n+/, "")
            wrapMode: Text.Wrap
            font.pixelSize: 12
            color: Material.secondaryTextColor
        }
    }

    footer: DialogButtonBox {
        Button {
            objectName: "alertOkButton"
            text: qsTr("确定")
            flat: true
            DialogButtonBox.buttonRole: Dialog.AcceptRole
        }
    }
}
