import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// One torrent: its figures as they were when it was opened, its files, trackers and peers.
Page {
    id: root
    objectName: "torrentDetailView"

    // The torrent as TorrentListModel.torrentAt() gives it.
    required property var torrent
    required property TorrentDetailViewModel viewModel
    property int selectedTab: 0
    readonly property var tabTitles: ["基本信息", "文件", "Trackers", "Peers (" + viewModel.peerCount + ")"]

    Component.onCompleted: viewModel.loadAll()

    header: NavBar {
        title: "详情"
        showBack: root.StackView.view !== null
        onBackClicked: root.StackView.view.pop()
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
                    required property var modelData
                    width: ListView.view.width
                    height: Math.max(44, valueLabel.implicitHeight + 16)
                    spacing: 12
                    Label {
                        Layout.leftMargin: 16
                        Layout.alignment: Qt.AlignTop
                        Layout.topMargin: 8
                        text: modelData.label
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
                        text: modelData.value
                        font.pixelSize: 14
                        wrapMode: Text.WrapAnywhere
                    }
                }
            }

            // Files
            DetailList {
                objectName: "filesTab"
                loadText: "加载文件列表"
                model: root.viewModel.files
                onLoadRequested: root.viewModel.startLoadFiles()
                delegate: ColumnLayout {
                    required property var modelData
                    width: ListView.view.width - 32
                    x: 16
                    spacing: 4
                    Label {
                        Layout.fillWidth: true
                        Layout.topMargin: 8
                        text: modelData.name
                        wrapMode: Text.WrapAnywhere
                    }
                    ProgressBar {
                        Layout.fillWidth: true
                        from: 0
                        to: 1
                        value: modelData.progress
                        Material.accent: Theme.blue
                    }
                    SecondaryLabel {
                        Layout.bottomMargin: 8
                        text: modelData.sizeText + " • " + modelData.progressText
                    }
                }
            }

            // Trackers
            DetailList {
                objectName: "trackersTab"
                loadText: "加载 Trackers"
                model: root.viewModel.trackers
                onLoadRequested: root.viewModel.startLoadTrackers()
                delegate: ColumnLayout {
                    required property var modelData
                    width: ListView.view.width - 32
                    x: 16
                    spacing: 2
                    Label {
                        Layout.fillWidth: true
                        Layout.topMargin: 8
                        text: modelData.url
                        wrapMode: Text.WrapAnywhere
                    }
                    Label {
                        text: modelData.statusText
                        font.pixelSize: 13
                        color: modelData.isWorking ? Theme.green : root.Material.secondaryTextColor
                    }
                    SecondaryLabel {
                        Layout.bottomMargin: 8
                        text: modelData.seedsAndLeechesText
                    }
                }
            }

            // Peers
            DetailList {
                objectName: "peersTab"
                loadText: "加载 Peers"
                model: root.viewModel.peers
                onLoadRequested: root.viewModel.startLoadPeers()
                delegate: RowLayout {
                    required property var modelData
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
                            text: modelData.address
                        }
                        SecondaryLabel {
                            Layout.fillWidth: true
                            text: modelData.client
                        }
                    }
                    ColumnLayout {
                        spacing: 2
                        Label {
                            Layout.alignment: Qt.AlignRight
                            text: modelData.progressText
                            color: Theme.blue
                            font.pixelSize: 13
                        }
                        StatItem {
                            Layout.alignment: Qt.AlignRight
                            icon: "arrow.down"
                            color: Theme.green
                            value: modelData.dlSpeedText
                        }
                        StatItem {
                            Layout.alignment: Qt.AlignRight
                            icon: "arrow.up"
                            color: Theme.blue
                            value: modelData.upSpeedText
                        }
                    }
                }
            }
        }
    }
}
