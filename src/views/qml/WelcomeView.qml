// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Shown while no server is connected: the product, a short guide, the saved servers to connect
// to (or a button to add the first one) and the way to the server list.
Page {
    id: root
    objectName: "welcomeView"

    required property SettingsViewModel viewModel
    property bool showingAddServer: false
    property bool showingServerList: false
    property bool animateLogo: false
    property bool animateContent: false
    readonly property list<string> guideIcons: ["plus.app.fill", "link.circle.fill", "arrow.down.doc.fill"]
    readonly property list<string> guideTitles: [qsTr("添加服务器"), qsTr("建立连接"), qsTr("管理种子")]
    readonly property list<string> guideDescriptions: [qsTr("配置你的 qBittorrent 服务器地址"), qsTr("快速连接到远程或本地服务器"), qsTr("轻松管理和监控所有种子任务")]

    background: Rectangle {
        gradient: Gradient {
            GradientStop {
                position: 0
                color: root.Material.theme === Material.Dark ? "#15233a" : "#e8f1fd"
            }
            GradientStop {
                position: 1
                color: root.Material.backgroundColor
            }
        }
    }

    Component.onCompleted: {
        animateLogo = true
        contentTimer.start()
    }
    Timer {
        id: contentTimer
        interval: 300
        onTriggered: root.animateContent = true
    }

    Flickable {
        id: flick
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.implicitHeight + 64
        boundsBehavior: Flickable.DragOverBounds

        ColumnLayout {
            id: column
            width: Math.min(flick.width - 40, 520)
            x: (flick.width - width) / 2
            y: 48
            spacing: 20

            // Logo
            Rectangle {
                id: logo
                Layout.alignment: Qt.AlignHCenter
                width: 112
                height: 112
                radius: 56
                gradient: Gradient {
                    GradientStop {
                        position: 0
                        color: "#42A5F5"
                    }
                    GradientStop {
                        position: 1
                        color: "#00ACC1"
                    }
                }
                Icon {
                    anchors.centerIn: parent
                    name: "arrow.down.circle.fill"
                    size: 64
                    color: "white"
                }
                SequentialAnimation on scale {
                    running: root.animateLogo
                    loops: Animation.Infinite
                    NumberAnimation {
                        from: 1
                        to: 1.08
                        duration: 1200
                        easing.type: Easing.InOutQuad
                    }
                    NumberAnimation {
                        from: 1.08
                        to: 1
                        duration: 1200
                        easing.type: Easing.InOutQuad
                    }
                }
            }

            // Title block
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 4
                Label {
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignHCenter
                    text: "Seedwhirl"
                    font.pixelSize: 34
                    font.bold: true
                }
                Label {
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignHCenter
                    text: qsTr("qBittorrent 客户端")
                    font.pixelSize: 16
                    color: root.Material.secondaryTextColor
                }
                Label {
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignHCenter
                    text: qsTr("随时随地，掌控你的下载")
                    font.pixelSize: 13
                    color: root.Material.hintTextColor
                }
            }

            // Guide cards
            ColumnLayout {
                objectName: "guideCards"
                Layout.fillWidth: true
                spacing: 10
                opacity: root.animateContent ? 1 : 0
                Behavior on opacity {
                    NumberAnimation {
                        duration: 600
                        easing.type: Easing.OutQuad
                    }
                }
                Repeater {
                    model: root.guideTitles.length
                    delegate: Rectangle {
                        id: card
                        required property int index
                        Layout.fillWidth: true
                        implicitHeight: cardRow.implicitHeight + 24
                        radius: 14
                        color: root.Material.theme === Material.Dark ? "#232a36" : "#ffffff"
                        RowLayout {
                            id: cardRow
                            anchors.fill: parent
                            anchors.margins: 12
                            spacing: 14
                            Icon {
                                name: root.guideIcons[card.index]
                                size: 30
                                color: Theme.blue
                            }
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 2
                                Label {
                                    text: root.guideTitles[card.index]
                                    font.pixelSize: 16
                                    font.bold: true
                                }
                                SecondaryLabel {
                                    Layout.fillWidth: true
                                    text: root.guideDescriptions[card.index]
                                }
                            }
                        }
                    }
                }
            }

            // No profiles yet: add the first one.
            Button {
                objectName: "addFirstServerButton"
                visible: root.viewModel.servers.count === 0
                Layout.fillWidth: true
                Layout.preferredHeight: 52
                highlighted: true
                Material.background: Theme.blue
                onClicked: root.showingAddServer = true
                contentItem: RowLayout {
                    spacing: 8
                    Item {
                        Layout.fillWidth: true
                    }
                    Icon {
                        name: "plus.circle.fill"
                        color: "white"
                    }
                    Label {
                        text: qsTr("添加服务器")
                        color: "white"
                        font.pixelSize: 16
                        font.bold: true
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                }
            }

            // Saved profiles, in the model's order (newest first).
            ColumnLayout {
                visible: root.viewModel.servers.count > 0
                Layout.fillWidth: true
                spacing: 8
                Label {
                    text: qsTr("选择一个服务器连接")
                    font.pixelSize: 15
                    font.bold: true
                }
                Repeater {
                    id: serverRows
                    objectName: "welcomeServerRows"
                    model: root.viewModel.servers
                    delegate: ItemDelegate {
                        id: serverRow
                        required property string serverId
                        required property string name
                        required property string host
                        required property int port
                        objectName: "welcomeServerRow"
                        Layout.fillWidth: true
                        enabled: !root.viewModel.isConnecting
                        onClicked: root.viewModel.connectTo(serverRow.serverId)
                        background: Rectangle {
                            radius: 12
                            color: serverRow.down ? (root.Material.theme === Material.Dark ? "#2c3444" : "#e3ecf9")
                                                  : (root.Material.theme === Material.Dark ? "#232a36" : "#ffffff")
                        }
                        contentItem: RowLayout {
                            spacing: 12
                            Icon {
                                name: "server.rack"
                                size: 24
                                color: Theme.blue
                            }
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 2
                                Label {
                                    objectName: "serverName"
                                    Layout.fillWidth: true
                                    text: serverRow.name
                                    font.pixelSize: 16
                                    elide: Text.ElideRight
                                }
                                SecondaryLabel {
                                    Layout.fillWidth: true
                                    text: serverRow.host + ":" + serverRow.port
                                    elide: Text.ElideRight
                                    wrapMode: Text.NoWrap
                                }
                            }
                            Icon {
                                name: "chevron.right"
                                color: root.Material.hintTextColor
                            }
                        }
                    }
                }
            }

            RowLayout {
                objectName: "connectingIndicator"
                visible: root.viewModel.isConnecting
                Layout.alignment: Qt.AlignHCenter
                spacing: 8
                BusyIndicator {
                    running: parent.visible
                    implicitWidth: 32
                    implicitHeight: 32
                }
                SecondaryLabel {
                    text: qsTr("连接中...")
                }
            }

            Button {
                objectName: "manageServersButton"
                Layout.alignment: Qt.AlignHCenter
                flat: true
                onClicked: root.showingServerList = true
                contentItem: RowLayout {
                    spacing: 6
                    Icon {
                        name: "gear"
                        color: Theme.blue
                    }
                    Label {
                        text: qsTr("管理服务器")
                        color: Theme.blue
                        font.pixelSize: 15
                    }
                }
            }
        }
    }

    Sheet {
        id: addServerSheet
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
        id: serverListSheet
        objectName: "serverListSheet"
        visible: root.showingServerList
        onClosed: root.showingServerList = false
        page: Component {
            ServerListView {
                viewModel: root.viewModel
                presentedAsSheet: true
            }
        }
    }

    AlertDialog {
        objectName: "errorAlert"
        title: qsTr("错误")
        shown: root.viewModel.hasError && !root.showingServerList && !root.showingAddServer
        message: root.viewModel.errorMessage
        onAcknowledged: root.viewModel.clearError()
    }
}
