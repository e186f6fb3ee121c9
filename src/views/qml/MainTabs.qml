// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The four tabs: a bottom bar on a phone-sized window, a side rail on a wide one. Each tab has
// its own navigation stack and is built the first time it is shown.
Item {
    id: root
    objectName: "mainTabs"

    required property SettingsViewModel serverViewModel
    property int selectedTab: 0
    readonly property bool wide: width > Theme.wideWidth
    readonly property list<string> tabTitles: [qsTr("种子"), qsTr("统计"), qsTr("搜索"), qsTr("设置")]
    readonly property list<string> tabSymbols: ["arrow.down.circle", "chart.bar", "magnifyingglass", "gear"]
    // The stacks of the tabs built so far, for navigation and tests: null for a tab not built
    // yet, which a list<Item> cannot hold.
    readonly property var stacks: [torrentsTab.item, statisticsTab.item, searchTab.item, settingsTab.item]

    onSelectedTabChanged: Haptics.impact("medium")

    // The add sheet of the torrent tab, filled in with `link` (links one per line, or a file:
    // URL), over the tab's first screen.
    function openLink(link: string) {
        selectedTab = 0
        const stack = torrentsTab.item as StackView
        if (!stack)
            return
        stack.pop(null)
        const list = stack.get(0) as TorrentListView
        list?.openLink(link)
    }

    // The desktop's keys. A shortcut does nothing while a sheet or dialog is open over the
    // tabs: the open popup blocks every shortcut outside it.
    Shortcut {
        sequence: "Ctrl+F"
        onActivated: {
            root.selectedTab = 2
            const stack = searchTab.item as StackView
            stack?.pop(null, StackView.Immediate)
            const search = stack?.get(0) as SearchTorrentView
            search?.focusSearch()
        }
    }
    Shortcut {
        sequence: "F5"
        onActivated: {
            const list = (torrentsTab.item as StackView)?.get(0) as TorrentListView
            list?.viewModel.startLoadTorrents()
        }
    }
    Shortcut {
        sequence: "Ctrl+N"
        onActivated: root.openLink("")
    }
    Shortcut {
        sequence: "Ctrl+,"
        onActivated: root.selectedTab = 3
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        // Side rail of a wide window.
        Rectangle {
            visible: root.wide
            Layout.fillHeight: true
            Layout.preferredWidth: 88
            color: root.Material.theme === Material.Dark ? "#1f1f23" : "#f7f7fa"
            ColumnLayout {
                anchors.top: parent.top
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.topMargin: 24
                spacing: 12
                Repeater {
                    model: root.tabTitles.length
                    delegate: ItemDelegate {
                        id: railItem
                        required property int index
                        objectName: "railTab" + index
                        Layout.preferredWidth: 76
                        checked: root.selectedTab === index
                        highlighted: checked
                        onClicked: root.selectedTab = index
                        contentItem: ColumnLayout {
                            spacing: 2
                            Icon {
                                Layout.alignment: Qt.AlignHCenter
                                name: root.tabSymbols[railItem.index]
                                size: 26
                                color: railItem.checked ? Theme.blue : railItem.Material.secondaryTextColor
                            }
                            Label {
                                Layout.alignment: Qt.AlignHCenter
                                text: root.tabTitles[railItem.index]
                                font.pixelSize: 12
                                color: railItem.checked ? Theme.blue : railItem.Material.secondaryTextColor
                            }
                        }
                    }
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            StackLayout {
                id: pages
                Layout.fillWidth: true
                Layout.fillHeight: true
                currentIndex: root.selectedTab

                TabLoader {
                    id: torrentsTab
                    tabIndex: 0
                    selectedTab: root.selectedTab
                    page: Component {
                        TorrentListView {
                            viewModel: TorrentListViewModel {}
                        }
                    }
                }
                TabLoader {
                    id: statisticsTab
                    tabIndex: 1
                    selectedTab: root.selectedTab
                    page: Component {
                        StatisticsView {
                            viewModel: StatisticsViewModel {}
                        }
                    }
                }
                TabLoader {
                    id: searchTab
                    tabIndex: 2
                    selectedTab: root.selectedTab
                    page: Component {
                        SearchTorrentView {
                            // Shows search results only: no sorted list to keep current.
                            viewModel: TorrentListViewModel { keepsShownList: false }
                        }
                    }
                }
                TabLoader {
                    id: settingsTab
                    tabIndex: 3
                    selectedTab: root.selectedTab
                    page: Component {
                        SettingsView {
                            viewModel: root.serverViewModel
                        }
                    }
                }
            }

            // Bottom tab bar of a phone-sized window.
            TabBar {
                id: tabBar
                objectName: "tabBar"
                visible: !root.wide
                Layout.fillWidth: true
                position: TabBar.Footer
                currentIndex: root.selectedTab
                onCurrentIndexChanged: root.selectedTab = currentIndex

                Repeater {
                    model: root.tabTitles.length
                    delegate: TabButton {
                        id: tabButton
                        required property int index
                        objectName: "tab" + index
                        text: root.tabTitles[index]
                        contentItem: ColumnLayout {
                            spacing: 2
                            Icon {
                                Layout.alignment: Qt.AlignHCenter
                                name: root.tabSymbols[tabButton.index]
                                size: 24
                                color: tabButton.checked ? Theme.blue : tabButton.Material.secondaryTextColor
                            }
                            Label {
                                Layout.alignment: Qt.AlignHCenter
                                text: tabButton.text
                                font.pixelSize: 11
                                color: tabButton.checked ? Theme.blue : tabButton.Material.secondaryTextColor
                            }
                        }
                    }
                }
            }
        }
    }
}
