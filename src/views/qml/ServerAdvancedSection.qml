// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import Seedwhirl

// The advanced settings of a server form, collapsed under "高级设置": the path prefix of a
// reverse proxy, the certificate trust, the proxy's authentication and the API key. Whatever is
// wrong with them shows under the section, also while it is collapsed.
ColumnLayout {
    id: section

    required property ServerFormModel model
    property bool open: false
    readonly property string keepHint: qsTr("留空则保留已保存的值")

    signal toggleRequested()

    spacing: 6

    FormSection {
        Layout.fillWidth: true
        ItemDelegate {
            objectName: "advancedToggle"
            Layout.fillWidth: true
            onClicked: section.toggleRequested()
            contentItem: RowLayout {
                spacing: 8
                Label {
                    Layout.fillWidth: true
                    text: qsTr("高级设置")
                    font.pixelSize: 16
                }
                Icon {
                    name: "chevron.right"
                    rotation: section.open ? 90 : 0
                    color: section.Material.hintTextColor
                }
            }
        }
    }

    FormSection {
        objectName: "advancedSettings"
        visible: section.open
        Layout.fillWidth: true
        title: qsTr("路径前缀")
        footer: qsTr("服务器在反向代理的某个路径下时填写，例如 /qbt")
        SecondaryLabel {
            Layout.topMargin: 6
            text: qsTr("路径前缀")
        }
        TextField {
            objectName: "pathPrefixField"
            Layout.fillWidth: true
            placeholderText: "/qbt"
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhUrlCharactersOnly
            selectByMouse: true
            text: section.model.pathPrefix
            onTextEdited: section.model.pathPrefix = text
            onEditingFinished: section.model.normalizePathPrefix()
            onActiveFocusChanged: if (!activeFocus) section.model.normalizePathPrefix()
        }
    }

    FormSection {
        visible: section.open
        Layout.fillWidth: true
        title: qsTr("证书信任")
        ComboBox {
            id: trustPicker
            objectName: "trustPicker"
            Layout.fillWidth: true
            // One model for good: replacing it would reset the shown choice behind the binding.
            model: [qsTr("系统证书"), qsTr("自定义 CA 证书"), qsTr("已固定的证书")]
            currentIndex: section.model.certificateTrust
            onActivated: index => section.model.certificateTrust = index
            delegate: ItemDelegate {
                required property int index
                required property string modelData
                width: trustPicker.width
                text: modelData
                highlighted: trustPicker.highlightedIndex === index
                // Only a certificate approved before can be the pinned one.
                visible: index !== 2 || section.model.hasPin
                height: visible ? implicitHeight : 0
            }
        }
        RowLayout {
            visible: section.model.certificateTrust === 1
            Layout.fillWidth: true
            Label {
                objectName: "caSubject"
                Layout.fillWidth: true
                text: section.model.caError !== "" ? section.model.caError
                                                   : section.model.caSubject !== "" ? qsTr("CA：%1").arg(section.model.caSubject) : qsTr("未选择证书文件")
                color: section.model.caError !== "" ? Theme.red : section.Material.foreground
                elide: Text.ElideRight
            }
            Button {
                objectName: "caFileButton"
                text: qsTr("选择文件…")
                flat: true
                onClicked: caPicker.open()
            }
        }
        ColumnLayout {
            visible: section.model.certificateTrust === 2
            Layout.fillWidth: true
            Layout.bottomMargin: 4
            spacing: 2
            SecondaryLabel {
                text: qsTr("SHA-256 指纹")
            }
            Label {
                objectName: "pinnedFingerprintText"
                Layout.fillWidth: true
                text: section.model.pinnedFingerprint
                font.family: "monospace"
                font.pixelSize: 12
                wrapMode: Text.WrapAnywhere
            }
            Button {
                objectName: "forgetPinButton"
                text: qsTr("忘记此证书")
                flat: true
                Material.foreground: Theme.red
                onClicked: section.model.forgetPin()
            }
        }
    }

    FormSection {
        visible: section.open
        Layout.fillWidth: true
        title: qsTr("代理身份验证")
        ComboBox {
            objectName: "proxyPicker"
            Layout.fillWidth: true
            model: [qsTr("无"), qsTr("HTTP Basic"), qsTr("自定义请求头")]
            currentIndex: section.model.proxyAuthentication
            onActivated: index => section.model.proxyAuthentication = index
        }
        SecondaryLabel {
            visible: proxyUsernameField.visible
            Layout.topMargin: 6
            text: qsTr("代理用户名")
        }
        TextField {
            id: proxyUsernameField
            objectName: "proxyUsernameField"
            visible: section.model.proxyAuthentication === 1
            Layout.fillWidth: true
            placeholderText: qsTr("代理用户名")
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
            selectByMouse: true
            text: section.model.proxyUsername
            onTextEdited: section.model.proxyUsername = text
        }
        SecondaryLabel {
            visible: proxyPasswordField.visible
            Layout.topMargin: 6
            text: qsTr("代理密码")
        }
        SecretField {
            id: proxyPasswordField
            objectName: "proxyPasswordField"
            visible: section.model.proxyAuthentication === 1
            placeholderText: section.model.isEditing ? qsTr("代理密码（%1）").arg(section.keepHint) : qsTr("代理密码")
            text: section.model.proxyPassword
            onTextEdited: section.model.proxyPassword = text
        }
        Repeater {
            model: section.model.proxyAuthentication === 2 ? section.model.headerNames.length : 0
            delegate: RowLayout {
                id: headerRow
                required property int index
                objectName: "headerRow" + index
                Layout.fillWidth: true
                spacing: 6
                ColumnLayout {
                    Layout.preferredWidth: 1
                    Layout.fillWidth: true
                    spacing: 0
                    SecondaryLabel {
                        Layout.topMargin: 6
                        text: qsTr("名称")
                    }
                    TextField {
                        objectName: "headerNameField"
                        Layout.fillWidth: true
                        placeholderText: qsTr("名称")
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        selectByMouse: true
                        text: section.model.headerNames[headerRow.index] ?? ""
                        onTextEdited: section.model.setHeaderName(headerRow.index, text)
                    }
                }
                ColumnLayout {
                    Layout.preferredWidth: 1
                    Layout.fillWidth: true
                    spacing: 0
                    SecondaryLabel {
                        Layout.topMargin: 6
                        text: qsTr("值")
                    }
                    SecretField {
                        objectName: "headerValueField"
                        placeholderText: section.model.headerSaved[headerRow.index] ? section.keepHint : qsTr("值")
                        text: section.model.headerValues[headerRow.index] ?? ""
                        onTextEdited: section.model.setHeaderValue(headerRow.index, text)
                    }
                }
                BarButton {
                    objectName: "removeHeaderButton"
                    Layout.alignment: Qt.AlignBottom
                    symbol: "trash"
                    tint: Theme.red
                    Accessible.name: qsTr("删除请求头")
                    onClicked: section.model.removeHeader(headerRow.index)
                }
            }
        }
        Button {
            objectName: "addHeaderButton"
            visible: section.model.proxyAuthentication === 2
            text: qsTr("添加请求头")
            flat: true
            onClicked: section.model.addHeader()
        }
    }

    FormSection {
        visible: section.open
        Layout.fillWidth: true
        title: qsTr("API 密钥")
        footer: qsTr("需要 qBittorrent 5.2 或更高版本；使用密钥时无需密码")
        Switch {
            objectName: "apiKeySwitch"
            Layout.fillWidth: true
            text: qsTr("使用 API 密钥")
            checked: section.model.useApiKey
            onToggled: section.model.useApiKey = checked
        }
        SecondaryLabel {
            visible: apiKeyField.visible
            Layout.topMargin: 6
            text: qsTr("API 密钥")
        }
        SecretField {
            id: apiKeyField
            objectName: "apiKeyField"
            visible: section.model.useApiKey
            placeholderText: section.model.isEditing ? qsTr("API 密钥（%1）").arg(section.keepHint) : qsTr("API 密钥")
            text: section.model.apiKey
            onTextEdited: section.model.apiKey = text
        }
    }

    Label {
        objectName: "advancedProblem"
        visible: text !== ""
        Layout.fillWidth: true
        Layout.leftMargin: 16
        text: section.model.advancedProblem
        color: Theme.red
        font.pixelSize: 12
        wrapMode: Text.Wrap
    }

    FileDialog {
        id: caPicker
        objectName: "caPicker"
        title: qsTr("选择 CA 证书文件")
        nameFilters: [qsTr("证书文件 (*.pem *.crt *.cer *.der)"), qsTr("所有文件 (*)")]
        fileMode: FileDialog.OpenFile
        onAccepted: section.model.chooseCaFile(selectedFile)
    }
}
