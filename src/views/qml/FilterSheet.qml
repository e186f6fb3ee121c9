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
    property var categories: []
    property var tags: []
    property int selectedTab: 0
    readonly property var tabTitles: ["状态", "排序", "分类", "标签"]

    signal closeRequested()

    // Rows of the selected tab: {key, title, count (or undefined), checked}; key is what a tap
    // selects (a raw value, a name, or null for "全部").
    readonly property var rows: {
        const vm = viewModel
        switch (selectedTab) {
        case 0:
            return Choices.statusFilters.map(f => ({
                key: f.raw, title: f.title, count: vm.torrentCountForFilter(f.raw),
                checked: vm.selectedFilter === f.raw
            }))
        case 1:
            return Choices.sortOptions.map(o => ({
                key: o.raw, title: o.title, count: undefined, checked: vm.sortOption === o.raw
            }))
        case 2:
            return [{ key: null, title: "全部", count: undefined, checked: vm.selectedCategory === undefined
                                                                           || vm.selectedCategory === null }]
                .concat(categories.map(name => ({
                    key: name, title: name, count: vm.countForCategory(name), checked: vm.selectedCategory === name
                })))
        default:
            return [{ key: null, title: "全部", count: undefined, checked: vm.selectedTag === undefined
                                                                           || vm.selectedTag === null }]
                .concat(tags.map(name => ({
                    key: name, title: name, count: vm.countForTag(name), checked: vm.selectedTag === name
                })))
        }
    }
    readonly property string emptyText: selectedTab === 2 && categories.length === 0 ? "暂无分类"
                                        : selectedTab === 3 && tags.length === 0 ? "暂无标签" : ""

    function choose(key) {
        switch (selectedTab) {
        case 0:
            viewModel.selectedFilter = key
            break
        case 1:
            viewModel.sortOption = key
            break
        case 2:
            viewModel.selectedCategory = key
            break
        default:
            viewModel.selectedTag = key
            break
        }
    }

    header: NavBar {
        title: "筛选"
        trailing: [
            BarButton {
                objectName: "closeButton"
                symbol: "xmark"
                Accessible.name: "关闭"
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
            title: "选择类型"
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
            model: root.rows
            delegate: ItemDelegate {
                id: rowItem
                required property var modelData
                required property int index
                objectName: "filterRow" + index
                width: ListView.view.width
                onClicked: root.choose(modelData.key)
                contentItem: RowLayout {
                    spacing: 8
                    Label {
                        objectName: "rowTitle"
                        Layout.fillWidth: true
                        text: rowItem.modelData.title
                        font.pixelSize: 16
                        elide: Text.ElideRight
                    }
                    SecondaryLabel {
                        objectName: "rowCount"
                        visible: rowItem.modelData.count !== undefined
                        text: rowItem.modelData.count !== undefined ? String(rowItem.modelData.count) : ""
                    }
                    Icon {
                        objectName: "rowCheckmark"
                        visible: rowItem.modelData.checked
                        name: "checkmark"
                        color: Theme.blue
                    }
                }
            }

            footer: SecondaryLabel {
                objectName: "emptyText"
                visible: root.emptyText !== ""
                width: ListView.view ? ListView.view.width : 0
                horizontalAlignment: Text.AlignHCenter
                topPadding: 24
                text: root.emptyText
            }
        }
    }
}
