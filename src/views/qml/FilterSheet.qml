// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Status, sort, category and tag choice for the torrent list. A tap only changes the list
// model's choice; the sheet stays open until it is dismissed.
Page {
    id: root
    objectName: "filterSheet"

    required property TorrentListViewModel viewModel
    // Copies taken when the sheet opened.
    property alias categories: sheetModel.categories
    property alias tags: sheetModel.tags
    property alias selectedTab: sheetModel.tab
    readonly property list<string> tabTitles: [qsTr("状态"), qsTr("排序"), qsTr("分类"), qsTr("标签")]

    signal closeRequested()

    FilterSheetModel {
        id: sheetModel
        viewModel: root.viewModel
    }

    header: NavBar {
        title: qsTr("筛选")
        trailing: [
            BarButton {
                objectName: "closeButton"
                symbol: "xmark"
                Accessible.name: qsTr("关闭")
                onClicked: root.closeRequested()
            }
        ]
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        SegmentedPicker {
            objectName: "filterTabs"
            Layout.fillWidth: true
            title: qsTr("选择类型")
            titles: root.tabTitles
            currentIndex: root.selectedTab
            onCurrentIndexChanged: root.selectedTab = currentIndex
        }

        ListView {
            id: list
            objectName: "filterRows"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: sheetModel
            delegate: ItemDelegate {
                id: rowItem
                required property int index
                required property string title
                required property int count
                required property bool isSelected
                objectName: "filterRow" + index
                width: ListView.view.width
                onClicked: sheetModel.choose(index)
                contentItem: RowLayout {
                    spacing: 8
                    Label {
                        objectName: "rowTitle"
                        Layout.fillWidth: true
                        text: rowItem.title
                        font.pixelSize: 16
                        elide: Text.ElideRight
                    }
                    SecondaryLabel {
                        objectName: "rowCount"
                        visible: rowItem.count >= 0
                        text: String(rowItem.count)
                    }
                    Icon {
                        objectName: "rowCheckmark"
                        visible: rowItem.isSelected
                        name: "checkmark"
                        color: Theme.blue
                    }
                }
            }

            footer: SecondaryLabel {
                objectName: "emptyText"
                visible: sheetModel.emptyText !== ""
                width: ListView.view ? ListView.view.width : 0
                horizontalAlignment: Text.AlignHCenter
                topPadding: 24
                text: sheetModel.emptyText
            }
        }
    }
}
