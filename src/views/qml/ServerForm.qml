// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The fields of the add and edit forms over a ServerFormModel, the collapsed advanced
// settings, the connection test with its result line, and the question about a certificate the
// test was refused for. In the edit form the password changes only behind "修改密码", and every
// empty secret field of the advanced settings keeps the saved secret.
ColumnLayout {
    id: form

    required property SettingsViewModel viewModel
    readonly property ServerFormModel model: ServerFormModel {
        settings: form.viewModel
    }
    property bool advancedOpen: false

    spacing: 20

    FormSection {
        Layout.fillWidth: true
        title: qsTr("服务器信息")
        SecondaryLabel {
            Layout.topMargin: 6
            text: qsTr("名称")
        }
        TextField {
            objectName: "nameField"
            Layout.fillWidth: true
            placeholderText: qsTr("名称")
            selectByMouse: true
            text: form.model.name
            onTextEdited: form.model.name = text
        }
        SecondaryLabel {
            Layout.topMargin: 6
            text: qsTr("主机")
        }
        TextField {
            objectName: "hostField"
            Layout.fillWidth: true
            placeholderText: qsTr("主机")
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhUrlCharactersOnly
            selectByMouse: true
            text: form.model.host
            onTextEdited: form.model.host = text
        }
        SecondaryLabel {
            Layout.topMargin: 6
            text: qsTr("端口")
        }
        TextField {
            objectName: "portField"
            Layout.fillWidth: true
            placeholderText: qsTr("端口")
            inputMethodHints: Qt.ImhDigitsOnly
            selectByMouse: true
            text: form.model.port
            onTextEdited: form.model.port = text
        }
        Label {
            objectName: "portCaption"
            visible: form.model.port !== "" && !form.model.portValid
            Layout.fillWidth: true
            Layout.bottomMargin: 6
            text: qsTr("端口号必须在 1-65535 之间")
            color: Theme.red
            font.pixelSize: 12
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: qsTr("认证")
        SecondaryLabel {
            Layout.topMargin: 6
            text: qsTr("用户名")
        }
        TextField {
            objectName: "usernameField"
            Layout.fillWidth: true
            placeholderText: qsTr("用户名")
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
            selectByMouse: true
            text: form.model.username
            onTextEdited: form.model.username = text
        }
        // The edit form keeps the saved password unless "修改密码" reveals a new one.
        Switch {
            id: changePasswordSwitch
            objectName: "changePasswordSwitch"
            visible: form.model.isEditing
            Layout.fillWidth: true
            text: qsTr("修改密码")
            onToggled: if (!checked) form.model.password = ""
        }
        SecondaryLabel {
            visible: passwordField.visible
            Layout.topMargin: 6
            text: form.model.isEditing ? qsTr("新密码") : qsTr("密码")
        }
        SecretField {
            id: passwordField
            objectName: "passwordField"
            visible: !form.model.isEditing || changePasswordSwitch.checked
            placeholderText: form.model.isEditing ? qsTr("新密码") : qsTr("密码")
            text: form.model.password
            onTextEdited: form.model.password = text
        }
        Switch {
            objectName: "httpsSwitch"
            Layout.fillWidth: true
            text: qsTr("使用 HTTPS")
            checked: form.model.useHTTPS
            onToggled: form.model.useHTTPS = checked
        }
    }

    ServerAdvancedSection {
        Layout.fillWidth: true
        model: form.model
        open: form.advancedOpen
        onToggleRequested: form.advancedOpen = !form.advancedOpen
    }

    FormSection {
        Layout.fillWidth: true
        Button {
            id: testButton
            objectName: "testButton"
            Layout.fillWidth: true
            flat: true
            enabled: !form.model.isTesting && form.model.canSave
            onClicked: form.model.test()
            contentItem: RowLayout {
                spacing: 8
                Item {
                    Layout.fillWidth: true
                }
                BusyIndicator {
                    visible: form.model.isTesting
                    running: form.model.isTesting
                    implicitWidth: 24
                    implicitHeight: 24
                }
                Label {
                    text: qsTr("测试连接")
                    color: testButton.enabled ? Theme.blue : form.Material.hintTextColor
                    font.pixelSize: 16
                }
                Item {
                    Layout.fillWidth: true
                }
            }
        }
        RowLayout {
            objectName: "testResultLine"
            visible: form.model.hasTestResult
            Layout.fillWidth: true
            Layout.bottomMargin: 8
            spacing: 6
            Icon {
                name: form.model.testSucceeded ? "checkmark.circle.fill" : "xmark.circle.fill"
                color: form.model.testSucceeded ? Theme.green : Theme.red
            }
            Label {
                objectName: "testResultText"
                Layout.fillWidth: true
                text: form.model.testSucceeded ? qsTr("✓ 连接成功") : form.model.testError
                color: form.model.testSucceeded ? Theme.green : Theme.red
                wrapMode: Text.Wrap
            }
        }
    }

    TrustSheet {
        objectName: "formTrustSheet"
        prompt: form.model.certificatePrompt
        onTrusted: form.model.trustCertificate()
        onCancelled: form.model.dismissCertificate()
    }
}
