// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The saved server profiles with their actions: connect, edit, delete, and add a new one.
Page {
    id: root
    objectName: "serverListView"

    required property SettingsViewModel viewModel
    // Shown in a sheet (from the welcome screen) rather than pushed (from the settings tab).
    property bool presentedAsSheet: false
    property bool showingAddServer: false
    property bool showingEditServer: false
    property serverProfile editingServer

    signal closeRequested()

    header: NavBar {
        title: qsTr("服务器管理")
        showBack: !root.presentedAsSheet && root.StackView.view !== null && root.StackView.index > 0
        onBackClicked: root.StackView.view.pop()
        leading: [
            BarButton {
                objectName: "closeButton"
                visible: root.presentedAsSheet
                symbol: "xmark"
                Accessible.name: qsTr("关闭")
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "addServerButton"
                symbol: "plus"
                Accessible.name: qsTr("添加服务器")
                onClicked: root.showingAddServer = true
            }
        ]
    }

    ColumnLayout {
        objectName: "emptyState"
        anchors.centerIn: parent
        width: parent.width - 48
        visible: root.viewModel.servers.count === 0
        spacing: 10
        Icon {
            Layout.alignment: Qt.AlignHCenter
            name: "server.rack"
            size: 56
            color: root.Material.hintTextColor
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("暂无服务器")
            font.pixelSize: 18
            font.bold: true
        }
        SecondaryLabel {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: qsTr("点击右上角的 + 按钮添加 qBittorrent 服务器")
        }
    }

    ListView {
        id: list
        objectName: "serverList"
        anchors.fill: parent
        anchors.topMargin: 8
        visible: root.viewModel.servers.count > 0
        clip: true
        model: root.viewModel.servers
        header: Label {
            leftPadding: 16
            bottomPadding: 6
            text: qsTr("服务器列表")
            font.pixelSize: 13
            color: root.Material.secondaryTextColor
        }
        delegate: ServerRowView {
            id: serverRow
            width: ListView.view.width
            onConnectRequested: root.viewModel.connectTo(serverRow.serverId)
            onEditRequested: {
                root.editingServer = root.viewModel.profile(serverRow.serverId)
                root.showingEditServer = true
            }
            onDeleteRequested: root.viewModel.remove(serverRow.serverId)
        }
    }

    // Connecting overlay
    Rectangle {
        objectName: "connectingOverlay"
        anchors.centerIn: parent
        visible: root.viewModel.isConnecting
        width: 160
        height: 120
        radius: 16
        color: root.Material.theme === Material.Dark ? "#cc303036" : "#ccf2f2f7"
        ColumnLayout {
            anchors.centerIn: parent
            spacing: 8
            BusyIndicator {
                Layout.alignment: Qt.AlignHCenter
                running: parent.visible
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("连接中...")
            }
        }
    }

    Sheet {
        objectName: "addServerSheet"
        visible: root.showingAddServer
        onClosed: root.showingAddServer = false
        page: Component {
            AddServerView {
                viewModel: root.viewModel
            }
        }
    }

    Sheet {
        objectName: "editServerSheet"
        visible: root.showingEditServer
        onClosed: root.showingEditServer = false
        pageProperties: ({ server: root.editingServer })
        page: Component {
            EditServerView {
                viewModel: root.viewModel
            }
        }
    }

    AlertDialog {
        objectName: "errorAlert"
        title: qsTr("连接失败")
        shown: root.viewModel.hasError && root.visible
        message: root.viewModel.errorMessage
        onAcknowledged: root.viewModel.clearError()
    }
}
