// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// Form for an existing profile; every saved secret stays unless a new one is entered.
Page {
    id: root
    objectName: "editServerView"

    required property SettingsViewModel viewModel
    property serverProfile server
    readonly property alias form: form

    signal closeRequested()

    // The profile may come before or after the form's model has its settings model.
    onServerChanged: if (server.valid) form.model.load(server.serverId)
    Component.onCompleted: if (server.valid) form.model.load(server.serverId)

    header: NavBar {
        title: qsTr("编辑服务器")
        leading: [
            BarButton {
                objectName: "cancelButton"
                text: qsTr("取消")
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "saveButton"
                text: qsTr("保存")
                enabled: form.model.canSave && form.model.isEditing
                onClicked: root.save()
            }
        ]
    }

    Flickable {
        anchors.fill: parent
        contentHeight: form.implicitHeight + 40
        clip: true
        ServerForm {
            id: form
            viewModel: root.viewModel
            x: 16
            y: 20
            width: parent.width - 32
        }
    }

    // Enter in the sheet.
    function submit(): bool {
        if (!form.model.canSave || !form.model.isEditing)
            return false
        save()
        return true
    }

    // A failed update stays open; the server list shows its error.
    function save() {
        form.model.save().then(function (saved) {
            if (saved)
                root.closeRequested()
        })
    }
}
