// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
        return Array.from({ length: list.count }, (_, i) => {
            const [title, count, check] = findAll(findChild(list, "filterRow" + i), ["rowTitle", "rowCount", "rowCheckmark"])
            return [title.text, count.visible ? count.text : "", check.visible ? "✓" : ""].filter(Boolean).join(" ")
        }).join("|")
    }

    function test_rows_taps_and_tabs() {
        const model = createTemporaryObject(modelComponent, testCase)
        session.applyFixture(model, "maindata-full.json")
        // Made after its list model, so destroyed first.
        const sheet = screen(sheetComponent, { viewModel: model, categories: ["linux", "test"], tags: [] })
        closeSpy.target = sheet
        waitForRendering(sheet)
        const tabs = findChild(sheet, "filterTabs")
        compare([findChild(sheet, "navTitle").text, tabs.title, tabs.titles], ["筛选", "选择类型", ["状态", "排序", "分类", "标签"]])
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
        compare([findChild(sheet, "emptyText").visible, findChild(sheet, "emptyText").text], [true, "暂无标签"])
    }
}
