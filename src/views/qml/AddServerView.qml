// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// Form for a new server profile. The first profile saved becomes the active one.
Page {
    id: root
    objectName: "addServerView"

    required property SettingsViewModel viewModel
    readonly property alias form: form

    signal closeRequested()

    header: NavBar {
        title: qsTr("添加服务器")
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
                enabled: form.model.canSave
                onClicked: root.save()
            }
        ]
    }

    Flickable {
        objectName: "formFlickable"
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
        if (!form.model.canSave)
            return false
        save()
        return true
    }

    function save() {
        form.model.save().then(function (saved) {
            if (saved)
                root.closeRequested()
        })
    }
}
