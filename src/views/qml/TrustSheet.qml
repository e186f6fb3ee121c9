// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The question about a server certificate a connection was refused for: whom it was issued to
// and by whom, its validity, the server's address and the SHA-256 fingerprint to compare with
// the server's (a changed certificate shows the approved one too and asks for an explicit
// confirmation). Open while `prompt` is valid; an answer emits trusted() or cancelled(), whose
// handler clears the prompt behind it.
Popup {
    id: root
    objectName: "trustSheet"

    property certificatePrompt prompt
    readonly property bool shown: prompt.valid

    signal trusted()
    signal cancelled()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(parent ? parent.width - 32 : 360, 460)
    height: Math.min(implicitHeight, parent ? parent.height - 48 : implicitHeight)
    modal: true
    padding: 20
    closePolicy: Popup.CloseOnEscape

    onShownChanged: shown ? open() : close()
    Component.onCompleted: if (shown) open()
    onClosed: if (shown) cancelled()
    onAboutToShow: confirmBox.checked = false
    onPromptChanged: confirmBox.checked = false

    component Detail: ColumnLayout {
        id: detail
        property string caption
        property string value
        property bool monospace: false
        Layout.fillWidth: true
        spacing: 2
        SecondaryLabel {
            text: detail.caption
        }
        Label {
            objectName: detail.objectName + "Value"
            Layout.fillWidth: true
            text: detail.value
            wrapMode: Text.WrapAnywhere
            font.pixelSize: 14
            Binding on font.family {
                when: detail.monospace
                value: "monospace"
            }
        }
    }

    // The page as the popup's one child (not its contentItem, which would not allow ids inside).
    Flickable {
        anchors.fill: parent
        implicitHeight: column.implicitHeight
        contentHeight: column.implicitHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        ColumnLayout {
            id: column
            width: parent.width
            spacing: 12

            RowLayout {
                spacing: 10
                Icon {
                    name: "exclamationmark.triangle.fill"
                    size: 28
                    color: root.prompt.canTrust ? Theme.orange : Theme.red
                }
                Label {
                    objectName: "trustTitle"
                    Layout.fillWidth: true
                    text: root.prompt.title
                    font.pixelSize: 18
                    font.bold: true
                    wrapMode: Text.Wrap
                }
            }
            Label {
                objectName: "trustMessage"
                Layout.fillWidth: true
                text: root.prompt.message
                wrapMode: Text.Wrap
                color: root.Material.secondaryTextColor
            }
            Detail {
                objectName: "subject"
                caption: qsTr("颁发给")
                value: root.prompt.subject
            }
            Detail {
                objectName: "issuer"
                caption: qsTr("颁发者")
                value: root.prompt.issuer
            }
            Detail {
                objectName: "validity"
                caption: qsTr("有效期")
                value: qsTr("%1 至 %2").arg(root.prompt.validFrom).arg(root.prompt.validUntil)
            }
            Detail {
                objectName: "address"
                caption: qsTr("服务器地址")
                value: root.prompt.address
            }
            Detail {
                objectName: "pinnedFingerprint"
                visible: root.prompt.changed
                caption: qsTr("已信任的 SHA-256 指纹")
                value: root.prompt.pinnedFingerprint
                monospace: true
            }
            Detail {
                objectName: "fingerprint"
                caption: root.prompt.changed ? qsTr("服务器出示的 SHA-256 指纹") : qsTr("SHA-256 指纹")
                value: root.prompt.fingerprint
                monospace: true
            }
            CheckBox {
                id: confirmBox
                objectName: "confirmChangeBox"
                visible: root.prompt.changed && root.prompt.canTrust
                Layout.fillWidth: true
                text: qsTr("我已核对新的指纹，确认服务器更换了证书")
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                Item {
                    Layout.fillWidth: true
                }
                Button {
                    objectName: "trustCancelButton"
                    text: qsTr("取消")
                    flat: true
                    onClicked: root.cancelled()
                }
                Button {
                    objectName: "trustButton"
                    visible: root.prompt.canTrust
                    enabled: !root.prompt.changed || confirmBox.checked
                    text: qsTr("信任此证书")
                    highlighted: true
                    onClicked: root.trusted()
                }
            }
        }
    }
}
