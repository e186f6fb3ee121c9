// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Search the server's torrents by name. The search runs over all torrents, not the filtered
// list of the torrent tab.
Page {
    id: root
    objectName: "searchTorrentView"

    required property TorrentListViewModel viewModel
    property alias searchText: searchField.text
    readonly property TorrentListModel results: viewModel.searchResults
    readonly property bool isShown: visible && StackView.status === StackView.Active
    // Which content is shown: "prompt", "loading", "none" or "results". The model is loading
    // during every full pass (the first one, and each return to the application); results
    // already found stay on screen meanwhile instead of blinking away behind the indicator.
    readonly property string contentState: searchText === "" ? "prompt"
                                           : viewModel.isLoading && results.count === 0 ? "loading"
                                           : results.count === 0 ? "none" : "results"

    onSearchTextChanged: {
        viewModel.searchText = searchText
        // The results of a new text fill the rows in place: they are read from the top.
        resultList.positionViewAtBeginning()
    }

    // The search shares the list's repository; shown, it loads and keeps the torrents current.
    Binding {
        target: root.viewModel
        property: "active"
        value: root.isShown
    }

    function focusSearch() {
        searchField.forceActiveFocus()
        searchField.selectAll()
    }

    function openDetail(row) {
        const torrent = results.torrentAt(row)
        if (torrent === undefined)
            return
        StackView.view.push(detailPage, { torrent: torrent })
    }

    Component {
        id: detailPage
        TorrentDetailView {
            id: detail
            listModel: root.viewModel
            viewModel: TorrentDetailViewModel {
                torrent: detail.torrent
            }
        }
    }

    header: ColumnLayout {
        spacing: 0
        NavBar {
            Layout.fillWidth: true
            title: qsTr("搜索")
        }
        SearchField {
            id: searchField
            objectName: "searchField"
            Layout.fillWidth: true
            Layout.margins: 12
            placeholderText: qsTr("搜索种子名称")
        }
    }

    Placeholder {
        objectName: "promptState"
        visible: root.contentState === "prompt"
        symbol: "magnifyingglass"
        title: qsTr("搜索种子")
        hint: qsTr("输入种子名称进行搜索")
    }

    ColumnLayout {
        objectName: "loadingState"
        anchors.centerIn: parent
        visible: root.contentState === "loading"
        BusyIndicator {
            Layout.alignment: Qt.AlignHCenter
            running: parent.visible
        }
        SecondaryLabel {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("搜索中...")
        }
    }

    Placeholder {
        objectName: "noResultsState"
        visible: root.contentState === "none"
        symbol: "exclamationmark.magnifyingglass"
        title: qsTr("未找到结果")
        hint: qsTr("尝试使用其他关键词")
    }

    ListView {
        id: resultList
        objectName: "resultList"
        anchors.fill: parent
        visible: root.contentState === "results"
        clip: true
        model: root.results
        // New results replace the old at once: rows are recycled instead of made anew.
        reuseItems: true
        header: SecondaryLabel {
            objectName: "resultCount"
            leftPadding: 16
            topPadding: 4
            bottomPadding: 4
            font.pixelSize: 12
            text: qsTr("找到 %1 个结果").arg(root.results.count)
        }
        delegate: TorrentRowView {
            width: ListView.view.width
            swipeEnabled: false
            onOpenRequested: root.openDetail(index)
        }
    }
}
