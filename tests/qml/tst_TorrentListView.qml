import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "TorrentListView"
    when: windowShown
    visible: true
    width: 390
    height: 844

    Component {
        id: modelComponent
        TorrentListViewModel {}
    }
    Component {
        id: pageComponent
        StackView {
            id: stack
            property alias page: listPage
            width: 390
            height: 844
            initialItem: TorrentListView {
                id: listPage
                viewModel: stack.model
            }
            property TorrentListViewModel model
        }
    }

    function initTestCase() {
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

    // A list over the recorded answer: "ubuntu-demo.iso" (metaDL) and "sample.bin", paused by
    // the second answer.
    function open() {
        const model = createTemporaryObject(modelComponent, testCase)
        TestSupport.applyFixture(model, "maindata-full.json")
        TestSupport.applyFixture(model, "maindata-rid1-after-pause.json")
        const stack = screen(pageComponent, { model: model })
        const page = stack.page
        const list = findChild(page, "torrentList")
        tryCompare(list, "count", 2)
        // The screen's own first load fails (no server) and raises the alert; start clean.
        tryCompare(model, "hasError", true)
        tryCompare(model, "isLoading", false)
        model.clearError()
        // The alert's modal layer takes every tap until it has finished closing.
        tryCompare(findChild(page, "errorAlert"), "visible", false)
        return { stack: stack, page: page, list: list, model: model }
    }
    function row(list, name) {
        list.forceLayout()
        for (let i = 0; i < list.count; ++i) {
            const item = list.itemAtIndex(i)
            if (item && item.name === name)
                return item
        }
        return null
    }

    function test_header_and_rows() {
        const t = open()
        compare(findChild(t.page, "navTitle").text, "种子")
        compare(findChild(t.page, "filterButton").text, "筛选")
        compare(findChild(t.page, "filterButton").symbol, "line.3.horizontal.decrease.circle")
        compare(findChild(t.page, "addTorrentButton").symbol, "plus.circle.fill")
        compare(findChild(t.page, "uploadCard").title, "上传")
        compare(findChild(t.page, "downloadCard").title, "下载")
        const done = row(t.list, "sample.bin")
        verify(done)
        compare(done.progressText, "100.0%")
        compare(findChild(done, "progressText").color, Theme.green)
        compare(done.tagList, ["a", "b"])
        // Completed: no time to completion.
        verify(!findChild(done, "etaFigure").visible)
        verify(findChild(done, "ratioFigure").visible)
        const meta = row(t.list, "ubuntu-demo.iso")
        compare(meta.stateIcon, "info.circle.fill")
        compare(findChild(meta, "stateIcon").color, Theme.blue)
        verify(!findChild(t.page, "emptyState").visible)
    }

    function test_swipe_offers_resume_for_paused_and_pause_otherwise() {
        const t = open()
        const paused = row(t.list, "sample.bin")
        verify(paused.isPaused)
        paused.swipe.open(SwipeDelegate.Right)
        tryCompare(paused.swipe, "position", -1)
        const action = findChild(paused.swipe.rightItem, "swipePauseResume")
        compare(action.text, "开始")
        compare(action.symbol, "play.fill")
        compare(findChild(paused.swipe.rightItem, "swipeDelete").symbol, "trash")
        const running = row(t.list, "ubuntu-demo.iso")
        running.swipe.open(SwipeDelegate.Right)
        tryCompare(running.swipe, "position", -1)
        compare(findChild(running.swipe.rightItem, "swipePauseResume").text, "暂停")
        compare(findChild(running.swipe.rightItem, "swipePauseResume").symbol, "pause.fill")
    }

    function test_context_menu_entries_in_order() {
        const t = open()
        const paused = row(t.list, "sample.bin")
        paused.pressAndHold()
        const menu = findChild(t.page, "torrentContextMenu")
        tryCompare(menu, "opened", true)
        const texts = []
        for (let i = 0; i < menu.count; ++i)
            texts.push(menu.itemAt(i).text === undefined ? "—" : menu.itemAt(i).text)
        compare(texts, ["开始", "强制启动", "—", "强制重新校验", "强制重新汇报", "—", "删除种子", "删除种子和文件"])
        compare(menu.itemAt(0).symbol, "play.fill")
        compare(menu.itemAt(7).symbol, "trash.fill")
        verify(menu.itemAt(6).destructive && menu.itemAt(7).destructive)
        menu.close()
    }

    function test_deleting_with_data_asks_first_and_cancel_sends_nothing() {
        const t = open()
        row(t.list, "sample.bin").pressAndHold()
        const menu = findChild(t.page, "torrentContextMenu")
        tryCompare(menu, "opened", true)
        menu.itemAt(7).triggered()
        menu.close()
        const confirmation = findChild(t.page, "deleteWithFilesConfirmation")
        tryCompare(confirmation, "opened", true)
        verify(findChild(confirmation, "confirmationText").text.indexOf("sample.bin") >= 0)
        mouseClick(findChild(confirmation, "cancelDeleteButton"))
        tryCompare(confirmation, "visible", false)
        // Nothing was sent: a request would have failed (no server) and raised an error.
        wait(100)
        verify(!t.model.hasError)
        compare(t.page.pendingDeleteWithFiles, null)
    }

    function test_confirmed_delete_is_sent_and_its_error_shows_the_advice_line() {
        const t = open()
        t.page.askDeleteWithFiles(row(t.list, "sample.bin").hash, "sample.bin")
        const confirmation = findChild(t.page, "deleteWithFilesConfirmation")
        tryCompare(confirmation, "opened", true)
        mouseClick(findChild(confirmation, "confirmDeleteButton"))
        // The client is not connected, so the request fails with the "not connected" error,
        // which carries advice.
        tryCompare(t.model, "hasError", true)
        const alert = findChild(t.page, "errorAlert")
        tryCompare(alert, "opened", true)
        compare(alert.title, "提示")
        compare(alert.message, t.model.errorMessage)
        compare(alert.detail, "\n建议：前往「设置」页面，添加并连接到 qBittorrent 服务器")
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(t.model, "hasError", false)
    }

    function test_suggestion_line_only_when_there_is_advice() {
        const t = open()
        compare(t.page.suggestionLine(""), "")
        compare(t.page.suggestionLine("检查服务器设置并重新连接"), "\n建议：检查服务器设置并重新连接")
    }

    function test_tapping_a_row_opens_its_details() {
        const t = open()
        mouseClick(row(t.list, "ubuntu-demo.iso"))
        tryCompare(t.stack, "depth", 2)
        const detail = t.stack.currentItem
        compare(detail.objectName, "torrentDetailView")
        compare(findChild(detail, "navTitle").text, "详情")
        t.stack.pop()
    }

    SignalSpy {
        id: refreshSpy
        signalName: "refresh"
    }

    function test_pull_to_refresh_past_the_threshold_starts_a_load() {
        const t = open()
        refreshSpy.clear()
        refreshSpy.target = findChild(t.page, "pullToRefresh")
        // A short pull springs back without refreshing.
        mousePress(t.list, 100, 20)
        for (let y = 20; y <= 50; y += 10)
            mouseMove(t.list, 100, y)
        mouseRelease(t.list, 100, 50)
        tryCompare(t.list, "verticalOvershoot", 0)
        compare(refreshSpy.count, 0)
        // A long one refreshes once, and the load really starts.
        mousePress(t.list, 100, 20)
        for (let y = 20; y <= 260; y += 10)
            mouseMove(t.list, 100, y)
        verify(findChild(t.page, "pullToRefresh").armed)
        mouseRelease(t.list, 100, 260)
        compare(refreshSpy.count, 1)
        tryCompare(t.model, "hasError", true) // the load reached the (unconnected) client
        t.model.clearError()
    }
}
