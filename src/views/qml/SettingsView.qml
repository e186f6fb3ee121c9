// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQml.Models
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The settings tab: the active server, the three preferences, two outside links and About.
Page {
    id: root
    objectName: "settingsView"

    required property SettingsViewModel viewModel
    property bool showingAbout: false
    readonly property list<real> intervalChoices: [3, 5, 10, 15, 30]
    readonly property string communityUrl: "https://github.com/seedwhirl/seedwhirl/discussions"
    readonly property string supportUrl: "https://github.com/seedwhirl/seedwhirl/issues"
    readonly property serverProfile activeServer: viewModel.activeServer
    readonly property bool isShown: visible && StackView.status === StackView.Active
    property bool _wasShown: false

    onIsShownChanged: {
        if (isShown && !_wasShown)
            appeared()
        _wasShown = isShown
    }
    Component.onCompleted: if (isShown) {
        _wasShown = true
        appeared()
    }

    function appeared() {
        viewModel.startLoadServerVersion()
        viewModel.startLoadCategories()
    }

    function openServerList() {
        StackView.view.push(serverListPage)
    }

    Component {
        id: serverListPage
        ServerListView {
            viewModel: root.viewModel
        }
    }

    header: NavBar {
        title: qsTr("设置")
    }

    Flickable {
        anchors.fill: parent
        contentHeight: column.implicitHeight + 40
        clip: true

        ColumnLayout {
            id: column
            x: 16
            y: 16
            width: parent.width - 32
            spacing: 20

            FormSection {
                Layout.fillWidth: true
                title: qsTr("当前服务器")
                ItemDelegate {
                    id: serverRow
                    objectName: "currentServerRow"
                    Layout.fillWidth: true
                    onClicked: root.openServerList()
                    contentItem: RowLayout {
                        spacing: 12
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 4
                            visible: root.activeServer.valid
                            RowLayout {
                                spacing: 8
                                Icon {
                                    name: "server.rack"
                                    color: Theme.blue
                                }
                                Label {
                                    objectName: "activeServerName"
                                    text: root.activeServer.name
                                    font.pixelSize: 16
                                    font.bold: true
                                }
                            }
                            RowLayout {
                                spacing: 6
                                SecondaryLabel {
                                    text: root.activeServer.valid ? root.activeServer.host + ":" + root.activeServer.port : ""
                                }
                                Icon {
                                    visible: root.activeServer.useHTTPS
                                    name: "lock.fill"
                                    size: 14
                                    color: Theme.green
                                }
                                SecondaryLabel {
                                    visible: root.activeServer.useHTTPS
                                    text: "HTTPS"
                                    color: Theme.green
                                }
                            }
                            RowLayout {
                                visible: root.viewModel.serverVersion !== ""
                                spacing: 6
                                Icon {
                                    name: "info.circle"
                                    size: 16
                                    color: serverRow.Material.secondaryTextColor
                                }
                                SecondaryLabel {
                                    objectName: "serverVersionText"
                                    text: "qBittorrent " + root.viewModel.serverVersion
                                }
                            }
                            RowLayout {
                                spacing: 6
                                Icon {
                                    name: "person.fill"
                                    size: 16
                                    color: serverRow.Material.secondaryTextColor
                                }
                                SecondaryLabel {
                                    text: root.activeServer.username
                                }
                            }
                        }
                        ColumnLayout {
                            objectName: "noServer"
                            Layout.fillWidth: true
                            visible: !root.activeServer.valid
                            spacing: 4
                            RowLayout {
                                spacing: 8
                                Icon {
                                    name: "server.rack"
                                    color: serverRow.Material.hintTextColor
                                }
                                Label {
                                    text: qsTr("未连接服务器")
                                    font.pixelSize: 16
                                }
                            }
                            SecondaryLabel {
                                text: qsTr("点击选择或添加服务器")
                            }
                        }
                        Icon {
                            name: "chevron.right"
                            color: serverRow.Material.hintTextColor
                        }
                    }
                }
            }

            FormSection {
                Layout.fillWidth: true
                RowLayout {
                    Layout.fillWidth: true
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            Layout.fillWidth: true
                            text: qsTr("自动刷新")
                            font.pixelSize: 16
                        }
                        SecondaryLabel {
                            Layout.fillWidth: true
                            text: qsTr("自动更新种子列表")
                        }
                    }
                    Switch {
                        id: autoRefreshSwitch
                        objectName: "autoRefreshSwitch"
                        checked: AppSettings.isAutoRefreshEnabled
                        onToggled: AppSettings.isAutoRefreshEnabled = checked
                    }
                }
                RowLayout {
                    objectName: "intervalRow"
                    visible: AppSettings.isAutoRefreshEnabled
                    Layout.fillWidth: true
                    Label {
                        Layout.fillWidth: true
                        text: qsTr("刷新间隔")
                        font.pixelSize: 16
                    }
                    ComboBox {
                        id: intervalPicker
                        objectName: "intervalPicker"
                        model: Array.from(root.intervalChoices, s => Format.secondsLabel(s))
                        currentIndex: Array.from(root.intervalChoices).indexOf(AppSettings.refreshInterval)
                        onActivated: index => AppSettings.refreshInterval = root.intervalChoices[index]
                    }
                }
            }

            FormSection {
                Layout.fillWidth: true
                RowLayout {
                    Layout.fillWidth: true
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            Layout.fillWidth: true
                            text: qsTr("下载完成通知")
                            font.pixelSize: 16
                        }
                        SecondaryLabel {
                            Layout.fillWidth: true
                            text: qsTr("种子下载完成时发送桌面通知")
                            wrapMode: Text.Wrap
                        }
                    }
                    Switch {
                        objectName: "notifySwitch"
                        checked: AppSettings.notifiesCompletions
                        onToggled: AppSettings.notifiesCompletions = checked
                    }
                }
            }

            FormSection {
                Layout.fillWidth: true
                title: qsTr("默认下载路径")
                RowLayout {
                    Layout.fillWidth: true
                    TextField {
                        id: pathField
                        objectName: "savePathField"
                        Layout.fillWidth: true
                        placeholderText: "/downloads"
                        text: AppSettings.defaultSavePath
                        font.family: "monospace"
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        selectByMouse: true
                        onTextEdited: AppSettings.defaultSavePath = text
                    }
                    BarButton {
                        id: pathMenuButton
                        objectName: "savePathMenuButton"
                        text: qsTr("默认")
                        symbol: "chevron.up.chevron.down"
                        onClicked: pathMenu.open()
                        Menu {
                            id: pathMenu
                            objectName: "savePathMenu"
                            y: pathMenuButton.height
                            // The categories come first, above the reset entry. They arrive after
                            // the menu was built, so they are inserted at their place rather than
                            // appended as a Repeater's items would be.
                            Instantiator {
                                model: root.viewModel.categories
                                delegate: MenuItem {
                                    required property string name
                                    required property string savePath
                                    text: name
                                    onTriggered: AppSettings.defaultSavePath = savePath
                                }
                                onObjectAdded: (index, object) => pathMenu.insertItem(index, object)
                                onObjectRemoved: (index, object) => pathMenu.removeItem(object)
                            }
                            MenuItem {
                                objectName: "resetPathItem"
                                text: "/downloads"
                                onTriggered: AppSettings.defaultSavePath = "/downloads"
                            }
                        }
                    }
                }
            }

            FormSection {
                Layout.fillWidth: true
                LinkRow {
                    objectName: "feedbackLink"
                    symbol: "bubble.left.and.bubble.right"
                    text: qsTr("问题反馈")
                    onClicked: Qt.openUrlExternally(root.communityUrl)
                }
                LinkRow {
                    objectName: "contactLink"
                    symbol: "paperplane"
                    text: qsTr("联系作者")
                    onClicked: Qt.openUrlExternally(root.supportUrl)
                }
            }

            FormSection {
                Layout.fillWidth: true
                LinkRow {
                    objectName: "aboutRow"
                    symbol: "info.circle"
                    text: qsTr("关于")
                    onClicked: root.showingAbout = true
                }
            }
        }
    }

    Sheet {
        objectName: "aboutSheet"
        visible: root.showingAbout
        onClosed: root.showingAbout = false
        page: Component {
            AboutView {}
        }
    }
}
