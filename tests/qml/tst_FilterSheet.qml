import QtQuick
import QtTest
import Seedwhirl

// The rows come from the sheet's model (tested without QML); here the delegates show them and
// a tap reaches the list model.
ScreenTestCase {
    id: testCase
    name: "FilterSheet"

    Component {
        id: modelComponent
        TorrentListViewModel {}
    }
    Component {
        id: sheetComponent
        FilterSheet {}
    }

    // "title count ✓" per shown row, joined by "|".
    function rowTexts(sheet) {
        const list = findChild(sheet, "filterRows")
        list.forceLayout()
        const rows = []
        for (let i = 0; i < list.count; ++i) {
            const row = findChild(list, "filterRow" + i)
            const count = findChild(row, "rowCount")
            rows.push([findChild(row, "rowTitle").text].concat(count.visible ? [count.text] : [])
                      .concat(findChild(row, "rowCheckmark").visible ? ["✓"] : []).join(" "))
        }
        return rows.join("|")
    }

    function test_rows_taps_and_tabs() {
        // No polling of the (never connected) client while the sheet is looked at.
        AppSettings.isAutoRefreshEnabled = false
        const model = createTemporaryObject(modelComponent, testCase)
        TestSupport.applyFixture(model, "maindata-full.json")
        // Made after its list model, so destroyed first.
        const sheet = screen(sheetComponent, { viewModel: model, categories: ["linux", "test"], tags: [] })
        closeSpy.target = sheet
        waitForRendering(sheet)
        compare(findChild(sheet, "navTitle").text, "筛选")
        const tabs = findChild(sheet, "filterTabs")
        compare(tabs.title, "选择类型")
        compare(tabs.titles, ["状态", "排序", "分类", "标签"])
        compare(rowTexts(sheet), "全部 2 ✓|下载中 1|做种中 0|已完成 1|已暂停 0|活动 1|非活动 1")
        mouseClick(findChild(sheet, "filterRow3"))
        compare(model.selectedFilter, "completed")
        compare(rowTexts(sheet), "全部 2|下载中 1|做种中 0|已完成 1 ✓|已暂停 0|活动 1|非活动 1")
        compare(closeSpy.count, 0)

        tabs.currentIndex = 2
        compare(rowTexts(sheet), "全部 ✓|linux 1|test 1")
        verify(!findChild(sheet, "emptyText").visible)
        sheet.selectedTab = 3
        compare(rowTexts(sheet), "全部 ✓")
        verify(findChild(sheet, "emptyText").visible)
        compare(findChild(sheet, "emptyText").text, "暂无标签")
    }
}
