// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The statistics tab: server version, all-time and session figures, the global limits, server
// facts and categories. The live figures refresh every 5 seconds while the tab is shown and
// the application is active.
Page {
    id: root
    objectName: "statisticsView"

    required property StatisticsViewModel viewModel
    property bool showingSpeedLimitSheet: false
    // Outside a navigation stack (a test, a shot) the screen counts as shown while visible.
    readonly property bool isShown: visible && (StackView.view === null || StackView.status === StackView.Active)
    readonly property transferFigures transferInfo: viewModel.transferInfo
    readonly property serverFigures serverState: viewModel.serverState
    // Shown while a figure has not arrived yet.
    readonly property string placeholder: "—"

    // Loads on every show; the live figures refresh while shown and the application is active.
    Binding {
        target: root.viewModel
        property: "active"
        value: root.isShown && Application.state === Qt.ApplicationActive
    }

    // A figure that has not arrived (or that the server left out) is undefined.
    function bytes(value: var): string {
        return value === undefined ? placeholder : Format.formatBytes(value)
    }
    function rate(value: var): string {
        return value === undefined ? placeholder : Format.formatRate(value)
    }
    function limit(value: var): string {
        return value === undefined ? placeholder : Format.formatLimit(value)
    }
    function count(value: var): string {
        return value === undefined ? placeholder : String(value)
    }
    function transfer(field: string): var {
        return transferInfo.loaded ? transferInfo[field] : undefined
    }

    header: NavBar {
        title: qsTr("统计")
    }

    Flickable {
        id: flick
        objectName: "statisticsList"
        anchors.fill: parent
        contentHeight: column.implicitHeight + 40
        boundsBehavior: Flickable.DragAndOvershootBounds
        clip: true

        // One column on a phone; two on a wide window, the cards at the top of their cells.
        GridLayout {
            id: column
            objectName: "statisticsGrid"
            x: 16
            y: 16
            width: flick.width - 32
            columns: flick.width >= Theme.splitWidth ? 2 : 1
            columnSpacing: 20
            rowSpacing: 20

            FormSection {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("服务器")
                StatRow {
                    objectName: "versionRow"
                    label: qsTr("qBittorrent 版本")
                    value: root.viewModel.serverVersion || root.placeholder
                }
            }

            FormSection {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("历史统计")
                StatRow {
                    objectName: "alltimeDownloadRow"
                    symbol: "tray.and.arrow.down.fill"
                    color: Theme.cyan
                    label: qsTr("总下载量")
                    value: root.bytes(root.serverState.alltimeDL)
                }
                StatRow {
                    objectName: "alltimeUploadRow"
                    symbol: "tray.and.arrow.up.fill"
                    color: Theme.blue
                    label: qsTr("总上传量")
                    value: root.bytes(root.serverState.alltimeUL)
                }
                StatRow {
                    objectName: "shareRatioRow"
                    symbol: "chart.line.uptrend.xyaxis"
                    color: Theme.orange
                    label: qsTr("分享率")
                    value: root.serverState.loaded ? root.viewModel.shareRatioText() : root.placeholder
                }
            }

            FormSection {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("当前会话")
                StatRow {
                    objectName: "downloadSpeedRow"
                    symbol: "arrow.down.circle.fill"
                    color: Theme.cyan
                    label: qsTr("下载速度")
                    value: root.rate(root.transfer("dlInfoSpeed"))
                }
                StatRow {
                    objectName: "uploadSpeedRow"
                    symbol: "arrow.up.circle.fill"
                    color: Theme.blue
                    label: qsTr("上传速度")
                    value: root.rate(root.transfer("upInfoSpeed"))
                }
                StatRow {
                    objectName: "downloadedRow"
                    symbol: "arrow.down.circle"
                    color: Theme.cyan
                    label: qsTr("已下载")
                    value: root.bytes(root.transfer("dlInfoData"))
                }
                StatRow {
                    objectName: "uploadedRow"
                    symbol: "arrow.up.circle"
                    color: Theme.blue
                    label: qsTr("已上传")
                    value: root.bytes(root.transfer("upInfoData"))
                }
                StatRow {
                    objectName: "dhtRow"
                    symbol: "network"
                    color: Theme.purple
                    label: qsTr("DHT 节点")
                    value: root.count(root.transfer("dhtNodes"))
                }
                StatRow {
                    objectName: "connectionRow"
                    symbol: "wifi"
                    color: Theme.green
                    label: qsTr("连接状态")
                    value: root.transferInfo.loaded ? Format.connectionStatusText(root.transferInfo.connectionStatus) : root.placeholder
                }
            }

            FormSection {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("速度限制")
                // The server reports the limits in force: the alternative ones while they are on.
                footer: root.viewModel.alternativeSpeed === true ? qsTr("备用速度限制已开启，显示的是生效中的备用限速") : ""
                RowLayout {
                    objectName: "altSpeedRow"
                    Layout.fillWidth: true
                    Layout.minimumHeight: 44
                    visible: root.viewModel.alternativeSpeed !== undefined
                    spacing: 8
                    Icon {
                        Layout.preferredWidth: 24
                        name: "tortoise"
                        color: Theme.orange
                    }
                    Label {
                        Layout.fillWidth: true
                        text: qsTr("备用速度限制")
                    }
                    Switch {
                        objectName: "altSpeedSwitch"
                        checked: root.viewModel.alternativeSpeed === true
                        Accessible.name: qsTr("备用速度限制")
                        onToggled: {
                            root.viewModel.setAlternativeSpeed(checked)
                            checked = Qt.binding(() => root.viewModel.alternativeSpeed === true)
                        }
                    }
                }
                ItemDelegate {
                    objectName: "speedLimitButton"
                    Layout.fillWidth: true
                    padding: 0
                    onClicked: root.showingSpeedLimitSheet = true
                    contentItem: ColumnLayout {
                        spacing: 0
                        StatRow {
                            objectName: "downloadLimitRow"
                            label: qsTr("下载限速")
                            value: root.limit(root.transfer("dlRateLimit"))
                        }
                        StatRow {
                            objectName: "uploadLimitRow"
                            label: qsTr("上传限速")
                            value: root.limit(root.transfer("upRateLimit"))
                        }
                        StatRow {
                            objectName: "altDownloadLimitRow"
                            visible: root.viewModel.alternativeSpeed !== true && root.viewModel.altDownloadLimitText !== ""
                            label: qsTr("备用下载限速")
                            value: root.viewModel.altDownloadLimitText === "0" ? qsTr("无限制") : root.viewModel.altDownloadLimitText + " KB/s"
                        }
                        StatRow {
                            objectName: "altUploadLimitRow"
                            visible: root.viewModel.alternativeSpeed !== true && root.viewModel.altUploadLimitText !== ""
                            label: qsTr("备用上传限速")
                            value: root.viewModel.altUploadLimitText === "0" ? qsTr("无限制") : root.viewModel.altUploadLimitText + " KB/s"
                        }
                    }
                }
            }

            FormSection {
                objectName: "speedHistorySection"
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("最近 10 分钟")
                SpeedChart {
                    objectName: "speedChart"
                    Layout.fillWidth: true
                    Layout.topMargin: 8
                    Layout.bottomMargin: 8
                    download: root.viewModel.downloadHistory
                    upload: root.viewModel.uploadHistory
                    peak: root.viewModel.historyPeak
                }
            }

            FormSection {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("服务器信息")
                StatRow {
                    objectName: "freeSpaceRow"
                    symbol: "externaldrive"
                    color: Theme.gray
                    label: qsTr("可用磁盘空间")
                    value: root.bytes(root.serverState.freeSpaceOnDisk)
                }
                StatRow {
                    objectName: "connectionsRow"
                    symbol: "network"
                    color: Theme.purple
                    label: qsTr("总连接数")
                    value: root.count(root.serverState.totalPeerConnections)
                }
                StatRow {
                    objectName: "queuedIoRow"
                    symbol: "tray.full"
                    color: Theme.orange
                    label: qsTr("队列 IO 任务")
                    value: root.count(root.serverState.queuedIO)
                }
            }

            FormSection {
                objectName: "categoriesSection"
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                title: qsTr("分类 (%1)").arg(root.viewModel.categories.count)
                Repeater {
                    model: root.viewModel.categories
                    delegate: StatRow {
                        required property string name
                        required property string savePath
                        label: name
                        value: savePath
                    }
                }
            }
        }
    }

    PullToRefresh {
        objectName: "pullToRefresh"
        flickable: flick
        onRefresh: root.viewModel.loadAll()
    }

    Sheet {
        objectName: "speedLimitPopup"
        visible: root.showingSpeedLimitSheet
        onClosed: root.showingSpeedLimitSheet = false
        page: Component {
            SpeedLimitSheet {
                viewModel: root.viewModel
            }
        }
    }
}
