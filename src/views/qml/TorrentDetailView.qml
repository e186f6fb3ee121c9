// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// One torrent: its figures as they were when it was opened, its files, trackers and peers.
Page {
    id: root
    objectName: "torrentDetailView"

    // The torrent as TorrentListModel.torrentAt() gives it, passed on to the model unread: a
    // C++ record with no QML type, so it can only be a var.
    required property var torrent
    required property TorrentDetailViewModel viewModel
    // The list the screen was opened from: its edits change the torrent. None: no edit menu.
    property TorrentListViewModel listModel: null
    property int selectedTab: 0
    readonly property list<string> tabTitles: [qsTr("基本信息"), qsTr("文件"), qsTr("Trackers"), qsTr("Peers (%1)").arg(viewModel.peers.count)]

    // Outside a navigation stack (a test, a shot) the screen counts as shown while visible.
    readonly property bool isShown: visible && (StackView.view === null || StackView.status === StackView.Active)

    // Files, trackers and peers load anew each time the screen is shown.
    Binding {
        target: root.viewModel
        property: "active"
        value: root.isShown
    }

    header: NavBar {
        title: qsTr("详情")
        showBack: root.StackView.view !== null
        onBackClicked: root.StackView.view.pop()
        trailing: [
            BarButton {
                objectName: "editButton"
                visible: root.listModel !== null
                text: qsTr("编辑")
                onClicked: editorLoader.item.popup([root.viewModel.hash], this)
            }
        ]
    }

    Loader {
        id: editorLoader
        active: root.listModel !== null
        sourceComponent: TorrentEditor {
            listModel: root.listModel
        }
    }

    Menu {
        id: priorityMenu
        objectName: "filePriorityMenu"
        // By path: the files may load again while the menu is open.
        property string path
        Repeater {
            model: [[7, qsTr("最高")], [6, qsTr("高")], [1, qsTr("普通")], [0, qsTr("不下载")]]
            delegate: MenuItem {
                required property var modelData
                objectName: "priority_" + modelData[0]
                text: modelData[1]
                onTriggered: root.viewModel.setFilePriority(root.viewModel.files.rowOfPath(priorityMenu.path), modelData[0])
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        SegmentedPicker {
            id: picker
            objectName: "detailTabs"
            Layout.fillWidth: true
            titles: root.tabTitles
            currentIndex: root.selectedTab
            onCurrentIndexChanged: root.selectedTab = currentIndex
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: root.selectedTab

            // Information
            ListView {
                objectName: "infoList"
                clip: true
                model: root.viewModel.info
                delegate: RowLayout {
                    id: infoRow
                    required property string label
                    required property string value
                    width: ListView.view.width
                    height: Math.max(44, valueLabel.implicitHeight + 16)
                    spacing: 12
                    Label {
                        Layout.leftMargin: 16
                        Layout.alignment: Qt.AlignTop
                        Layout.topMargin: 8
                        text: infoRow.label
                        font.pixelSize: 14
                        color: root.Material.secondaryTextColor
                    }
                    Label {
                        id: valueLabel
                        Layout.fillWidth: true
                        Layout.rightMargin: 16
                        Layout.alignment: Qt.AlignTop
                        Layout.topMargin: 8
                        horizontalAlignment: Text.AlignRight
                        text: infoRow.value
                        font.pixelSize: 14
                        wrapMode: Text.WrapAnywhere
                    }
                }
            }

            // Files: a tree; a folder row opens and closes, the priority button of a row sets
            // the priority of every file it stands for.
            DetailList {
                objectName: "filesTab"
                loadText: qsTr("加载文件列表")
                model: root.viewModel.files
                onLoadRequested: root.viewModel.startLoadFiles()
                delegate: ItemDelegate {
                    id: fileRow
                    required property int index
                    required property string name
                    required property string path
                    required property real progress
                    required property string sizeText
                    required property string progressText
                    required property int depth
                    required property bool isFolder
                    required property bool isExpanded
                    required property int priority
                    required property string priorityText
                    width: ListView.view.width
                    leftPadding: 12 + depth * 20
                    rightPadding: 8
                    onClicked: if (isFolder) root.viewModel.files.toggleExpanded(index)
                    contentItem: RowLayout {
                        spacing: 8
                        Icon {
                            name: fileRow.isExpanded ? "chevron.down" : "chevron.right"
                            opacity: fileRow.isFolder ? 1 : 0
                            size: 18
                            Layout.preferredWidth: 18
                            color: fileRow.Material.secondaryTextColor
                        }
                        Icon {
                            name: fileRow.isFolder ? "folder" : "doc"
                            size: 20
                            color: fileRow.isFolder ? Theme.blue : fileRow.Material.secondaryTextColor
                        }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 4
                            Label {
                                Layout.fillWidth: true
                                text: fileRow.name
                                wrapMode: Text.WrapAnywhere
                                color: fileRow.priority === 0 ? fileRow.Material.hintTextColor : fileRow.Material.foreground
                            }
                            ProgressBar {
                                Layout.fillWidth: true
                                from: 0
                                to: 1
                                value: fileRow.progress
                                Material.accent: Theme.blue
                            }
                            SecondaryLabel {
                                text: fileRow.sizeText + " • " + fileRow.progressText
                            }
                        }
                        Button {
                            objectName: "priorityButton"
                            flat: true
                            text: fileRow.priorityText
                            font.capitalization: Font.MixedCase
                            Material.foreground: fileRow.priority === 0 ? Theme.red
                                                 : fileRow.priority >= 6 ? Theme.orange : Theme.blue
                            Accessible.name: qsTr("优先级：%1").arg(fileRow.priorityText)
                            onClicked: {
                                priorityMenu.path = fileRow.path
                                priorityMenu.popup()
                            }
                        }
                    }
                }
            }

            // Trackers
            DetailList {
                objectName: "trackersTab"
                loadText: qsTr("加载 Trackers")
                model: root.viewModel.trackers
                onLoadRequested: root.viewModel.startLoadTrackers()
                delegate: ColumnLayout {
                    id: trackerRow
                    required property string url
                    required property string statusText
                    required property bool isWorking
                    required property string seedsAndLeechesText
                    width: ListView.view.width - 32
                    x: 16
                    spacing: 2
                    Label {
                        Layout.fillWidth: true
                        Layout.topMargin: 8
                        text: trackerRow.url
                        wrapMode: Text.WrapAnywhere
                    }
                    Label {
                        text: trackerRow.statusText
                        font.pixelSize: 13
                        color: trackerRow.isWorking ? Theme.green : root.Material.secondaryTextColor
                    }
                    SecondaryLabel {
                        Layout.bottomMargin: 8
                        text: trackerRow.seedsAndLeechesText
                    }
                }
            }

            // Peers
            DetailList {
                objectName: "peersTab"
                loadText: qsTr("加载 Peers")
                model: root.viewModel.peers
                onLoadRequested: root.viewModel.startLoadPeers()
                delegate: RowLayout {
                    id: peerRow
                    required property string address
                    required property string client
                    required property string progressText
                    required property string dlSpeedText
                    required property string upSpeedText
                    width: ListView.view.width - 32
                    x: 16
                    spacing: 8
                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.topMargin: 8
                        Layout.bottomMargin: 8
                        spacing: 2
                        Label {
                            Layout.fillWidth: true
                            text: peerRow.address
                        }
                        SecondaryLabel {
                            Layout.fillWidth: true
                            text: peerRow.client
                        }
                    }
                    ColumnLayout {
                        spacing: 2
                        Label {
                            Layout.alignment: Qt.AlignRight
                            text: peerRow.progressText
                            color: Theme.blue
                            font.pixelSize: 13
                        }
                        StatItem {
                            Layout.alignment: Qt.AlignRight
                            icon: "arrow.down"
                            color: Theme.green
                            value: peerRow.dlSpeedText
                        }
                        StatItem {
                            Layout.alignment: Qt.AlignRight
                            icon: "arrow.up"
                            color: Theme.blue
                            value: peerRow.upSpeedText
                        }
                    }
                }
            }
        }
    }

    AlertDialog {
        objectName: "detailErrorAlert"
        title: qsTr("提示")
        // A failed load keeps its tab's load button instead; failed changes are told here.
        shown: root.isShown && (root.viewModel.actionErrorMessage !== "" || (root.listModel?.hasError ?? false))
        message: root.viewModel.actionErrorMessage !== "" ? root.viewModel.actionErrorMessage
                                                          : (root.listModel?.errorMessage ?? "")
        onAcknowledged: root.viewModel.actionErrorMessage !== "" ? root.viewModel.clearActionError()
                                                                 : root.listModel.clearError()
    }
}
