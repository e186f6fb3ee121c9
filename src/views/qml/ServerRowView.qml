// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// One saved profile in the server list. Swiping reveals delete, edit and (for an inactive
// profile) connect.
SwipeDelegate {
    id: row

    // The roles of SettingsViewModel.servers.
    required property string serverId
    required property string name
    required property string host
    required property int port
    required property string username
    required property bool useHTTPS
    required property bool isActive
    required property string lastConnectedText

    signal connectRequested()
    signal editRequested()
    signal deleteRequested()

    onClicked: if (!isActive) connectRequested()

    contentItem: RowLayout {
        spacing: 12
        Icon {
            objectName: "statusIcon"
            name: row.isActive ? "checkmark.circle.fill" : "circle"
            size: 24
            color: row.isActive ? Theme.green : Theme.gray
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            RowLayout {
                spacing: 4
                Label {
                    objectName: "serverName"
                    text: row.name
                    font.pixelSize: 16
                    font.bold: true
                    elide: Text.ElideRight
                    Layout.maximumWidth: row.width - 120
                }
                Icon {
                    objectName: "httpsIcon"
                    visible: row.useHTTPS
                    name: "lock.fill"
                    size: 14
                    color: row.Material.secondaryTextColor
                }
            }
            SecondaryLabel {
                Layout.fillWidth: true
                text: row.host + ":" + row.port
            }
            SecondaryLabel {
                Layout.fillWidth: true
                text: qsTr("用户: %1").arg(row.username)
            }
            SecondaryLabel {
                objectName: "lastConnected"
                Layout.fillWidth: true
                text: row.lastConnectedText
            }
        }
    }

    swipe.right: Row {
        anchors.right: parent.right
        height: parent.height
        SwipeAction {
            objectName: "swipeConnect"
            visible: !row.isActive
            symbol: "link"
            tint: Theme.blue
            text: qsTr("连接")
            onClicked: {
                row.swipe.close()
                row.connectRequested()
            }
        }
        SwipeAction {
            objectName: "swipeEdit"
            symbol: "pencil"
            tint: Theme.orange
            text: qsTr("编辑")
            onClicked: {
                row.swipe.close()
                row.editRequested()
            }
        }
        SwipeAction {
            objectName: "swipeDelete"
            symbol: "trash"
            tint: Theme.red
            text: qsTr("删除")
            onClicked: {
                row.swipe.close()
                row.deleteRequested()
            }
        }
    }
}
