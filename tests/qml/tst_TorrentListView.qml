import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

// Over the shared client, which is not connected: a load or an action fails at once.
ScreenTestCase {
    id: testCase
    name: "TorrentListView"

    Component {
        id: modelComponent
        TorrentListViewModel {}
    }
    Component {
        id: pageComponent
        TorrentListView {}
    }
    SignalSpy {
        id: refreshSpy
        signalName: "refresh"
    }

    function initTestCase() {
        AppSettings.isAutoRefreshEnabled = false
    }

    // A list over the recorded answer: "ubuntu-demo.iso" (metaDL) and "sample.bin", paused by
    // the second answer.
    function open() {
        const model = createTemporaryObject(modelComponent, testCase)
        TestSupport.applyFixture(model, "maindata-full.json")
        TestSupport.applyFixture(model, "maindata-rid1-after-pause.json")
        const stack = stackedScreen(pageComponent, { viewModel: model })
        const page = stack.currentItem
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
            if (list.itemAtIndex(i)?.name === name)
                return list.itemAtIndex(i)
        }
        return null
    }

    // The header, the rows, and a tap on a row opens its details.
    function test_header_rows_and_details() {
        const t = open()
        const [title, filter, add, up, down] = findAll(t.page, ["navTitle", "filterButton", "addTorrentButton", "uploadCard", "downloadCard"])
        compare([title.text, filter.text, filter.symbol, add.symbol, up.title, down.title],
                ["种子", "筛选", "line.3.horizontal.decrease.circle", "plus.circle.fill", "上传", "下载"])
        const done = row(t.list, "sample.bin")
        compare([done.progressText, done.tagList], ["100.0%", ["a", "b"]])
        compare(findChild(done, "progressText").color, Theme.green)
        // Completed: no time to completion.
        verify(!findChild(done, "etaFigure").visible && findChild(done, "ratioFigure").visible)
        const meta = row(t.list, "ubuntu-demo.iso")
        compare(meta.stateIcon, "info.circle.fill")
        compare(findChild(meta, "stateIcon").color, Theme.blue)
        verify(!findChild(t.page, "emptyState").visible)
        mouseClick(meta)
        tryCompare(t.stack, "depth", 2)
        compare(t.stack.currentItem.objectName, "torrentDetailView")
        compare(findChild(t.stack.currentItem, "navTitle").text, "详情")
        t.stack.pop()
    }

    function test_swipe_offers_resume_for_paused_and_pause_otherwise() {
        const t = open()
        const shown = []
        for (const name of ["sample.bin", "ubuntu-demo.iso"]) {
            const item = row(t.list, name)
            item.swipe.open(SwipeDelegate.Right)
            tryCompare(item.swipe, "position", -1)
            const [action, remove] = findAll(item.swipe.rightItem, ["swipePauseResume", "swipeDelete"])
            shown.push(action.text, action.symbol, remove.symbol)
        }
        compare(shown, ["开始", "play.fill", "trash", "暂停", "pause.fill", "trash"])
    }

    // The menu of a paused torrent; deleting with the data asks first, cancelling sends nothing.
    function test_context_menu_and_delete_with_files() {
        const t = open()
        row(t.list, "sample.bin").pressAndHold()
        const menu = findChild(t.page, "torrentContextMenu")
        tryCompare(menu, "opened", true)
        const texts = []
        for (let i = 0; i < menu.count; ++i)
            texts.push(menu.itemAt(i).text ?? "—")
        compare(texts, ["开始", "强制启动", "—", "强制重新校验", "强制重新汇报", "—", "删除种子", "删除种子和文件"])
        compare([menu.itemAt(0).symbol, menu.itemAt(7).symbol], ["play.fill", "trash.fill"])
        verify(menu.itemAt(6).destructive && menu.itemAt(7).destructive)
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
        compare(t.page.pendingDeleteHash, "")
        // Confirmed, the request fails (the client is not connected) with the "not connected"
        // error, which carries advice; without advice there is no suggestion line.
        t.page.askDeleteWithFiles(row(t.list, "sample.bin").hash, "sample.bin")
        tryCompare(confirmation, "opened", true)
        mouseClick(findChild(confirmation, "confirmDeleteButton"))
        tryCompare(t.model, "hasError", true)
        const alert = findChild(t.page, "errorAlert")
        tryCompare(alert, "opened", true)
        compare([alert.title, alert.message], ["提示", t.model.errorMessage])
        compare(alert.detail, "\n建议：前往「设置」页面，添加并连接到 qBittorrent 服务器")
        compare(t.page.suggestionLine(""), "")
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(t.model, "hasError", false)
    }

    function pull(list, to) {
        mousePress(list, 100, 20)
        for (let y = 20; y <= to; y += 10)
            mouseMove(list, 100, y)
        mouseRelease(list, 100, to)
    }
    function test_pull_to_refresh_past_the_threshold_starts_a_load() {
        const t = open()
        refreshSpy.clear()
        refreshSpy.target = findChild(t.page, "pullToRefresh")
        // A short pull springs back without refreshing; a long one refreshes once, and the load
        // really starts (it reaches the unconnected client).
        pull(t.list, 50)
        tryCompare(t.list, "verticalOvershoot", 0)
        compare(refreshSpy.count, 0)
        pull(t.list, 260)
        compare(refreshSpy.count, 1)
        tryCompare(t.model, "hasError", true)
        t.model.clearError()
    }
}
