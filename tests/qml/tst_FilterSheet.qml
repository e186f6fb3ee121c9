import QtQuick
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "FilterSheet"
    when: windowShown
    visible: true
    width: 390
    height: 844

    Component {
        id: modelComponent
        TorrentListViewModel {}
    }
    Component {
        id: sheetComponent
        FilterSheet {
            width: 390
            height: 844
        }
    }
    SignalSpy {
        id: closeSpy
        signalName: "closeRequested"
    }

    function initTestCase() {
        // No polling of the (never connected) client while the sheet is looked at.
        AppSettings.isAutoRefreshEnabled = false
    }
    // Screens made by a test, destroyed in cleanup() before the models they show, so that no
    // binding of a screen being torn down reads a model that is already gone.
    property var screens: []
    function screen(component, properties) {
        const item = createTemporaryObject(component, testCase, properties)
        screens.push(item)
        return item
    }
    function destroyScreens() {
        for (const item of screens) {
            if (item)
                item.destroy()
        }
        screens = []
    }

    function cleanup() {
        destroyScreens()
        compare(Icons.unmappedNames, [])
    }

    function open(categories, tags) {
        const model = createTemporaryObject(modelComponent, testCase)
        TestSupport.applyFixture(model, "maindata-full.json")
        const sheet = screen(sheetComponent, { viewModel: model, categories: categories, tags: tags })
        closeSpy.clear()
        closeSpy.target = sheet
        // Rows exist, and sit where a tap finds them, once the sheet is laid out.
        waitForRendering(sheet)
        return sheet
    }
    // Row i of the shown tab, laid out for a tap.
    function rowItem(sheet, i) {
        findChild(sheet, "filterRows").forceLayout()
        const row = findChild(sheet, "filterRow" + i)
        verify(row, "row " + i + " is not there")
        return row
    }
    function rowTexts(sheet) {
        const list = findChild(sheet, "filterRows")
        list.forceLayout()
        const rows = []
        for (let i = 0; i < list.count; ++i) {
            const row = findChild(list, "filterRow" + i)
            rows.push({
                title: findChild(row, "rowTitle").text,
                count: findChild(row, "rowCount").visible ? findChild(row, "rowCount").text : "",
                checked: findChild(row, "rowCheckmark").visible
            })
        }
        return rows
    }

    function test_tabs_and_status_rows_with_counts() {
        const sheet = open(["linux", "test"], ["iso", "b", "a"])
        compare(findChild(sheet, "navTitle").text, "筛选")
        compare(sheet.tabTitles, ["状态", "排序", "分类", "标签"])
        compare(findChild(sheet, "filterTabs").title, "选择类型")
        const rows = rowTexts(sheet)
        compare(rows.map(r => r.title), ["全部", "下载中", "做种中", "已完成", "已暂停", "活动", "非活动"])
        // metaDL at 0 % and stalledUP at 100 %.
        compare(rows.map(r => r.count), ["2", "1", "0", "1", "0", "1", "1"])
        compare(rows.map(r => r.checked), [true, false, false, false, false, false, false])
    }

    function test_tapping_a_row_only_changes_the_choice() {
        const sheet = open(["linux", "test"], [])
        mouseClick(rowItem(sheet, 3))
        compare(sheet.viewModel.selectedFilter, "completed")
        compare(rowTexts(sheet)[3].checked, true)
        compare(rowTexts(sheet)[0].checked, false)
        compare(closeSpy.count, 0)
    }

    function test_sort_rows() {
        const sheet = open([], [])
        sheet.selectedTab = 1
        const rows = rowTexts(sheet)
        compare(rows.map(r => r.title), ["默认", "名称", "大小", "进度", "添加时间", "下载速度", "上传速度", "分享率"])
        compare(rows.map(r => r.count), ["", "", "", "", "", "", "", ""])
        compare(rows[0].checked, true)
        mouseClick(rowItem(sheet, 4))
        compare(sheet.viewModel.sortOption, "added_on")
        compare(rowTexts(sheet)[4].checked, true)
    }

    function test_category_rows_select_and_clear() {
        const sheet = open(["linux", "test"], [])
        sheet.selectedTab = 2
        let rows = rowTexts(sheet)
        compare(rows.map(r => r.title), ["全部", "linux", "test"])
        compare(rows.map(r => r.count), ["", "1", "1"])
        compare(rows[0].checked, true)
        verify(!findChild(sheet, "emptyText").visible)
        mouseClick(rowItem(sheet, 1))
        compare(sheet.viewModel.selectedCategory, "linux")
        rows = rowTexts(sheet)
        compare(rows.map(r => r.checked), [false, true, false])
        mouseClick(rowItem(sheet, 0))
        verify(sheet.viewModel.selectedCategory === undefined || sheet.viewModel.selectedCategory === null)
    }

    function test_tag_rows_count_each_tag() {
        const sheet = open([], ["iso", "b", "a"])
        sheet.selectedTab = 3
        const rows = rowTexts(sheet)
        compare(rows.map(r => r.title), ["全部", "iso", "b", "a"])
        compare(rows.map(r => r.count), ["", "1", "1", "1"])
        mouseClick(rowItem(sheet, 2))
        compare(sheet.viewModel.selectedTag, "b")
    }

    function test_empty_category_and_tag_lists_say_so() {
        const sheet = open([], [])
        sheet.selectedTab = 2
        compare(rowTexts(sheet).map(r => r.title), ["全部"])
        verify(findChild(sheet, "emptyText").visible)
        compare(findChild(sheet, "emptyText").text, "暂无分类")
        sheet.selectedTab = 3
        compare(findChild(sheet, "emptyText").text, "暂无标签")
        sheet.selectedTab = 0
        verify(!findChild(sheet, "emptyText").visible)
    }
}
