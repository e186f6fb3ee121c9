// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
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

    // A list over the recorded answer: "ubuntu-demo.iso" (metaDL) and "sample.bin", paused by
    // the second answer.
    function open() {
        const model = createTemporaryObject(modelComponent, testCase)
        session.applyFixture(model, "maindata-full.json")
        session.applyFixture(model, "maindata-rid1-after-pause.json")
        const stack = stackedScreen(pageComponent, { viewModel: model })
        const page = stack.currentItem
        const list = findChild(page, "torrentList")
        tryCompare(list, "count", 2)
        // The screen's own first load fails (no server): offline, and no alert.
        tryCompare(model, "offline", true)
        tryCompare(model, "isLoading", false)
        compare(model.hasError, false)
        return { stack: stack, page: page, list: list, model: model }
    }
    function row(list, name) {
        list.forceLayout()
        return Array.from({ length: list.count }, (_, i) => list.itemAtIndex(i)).find(item => item?.name === name) ?? null
    }

    // The header, the rows, their swipe actions (resume for the paused one), and a tap on a row
    // opens its details.
    function test_header_rows_swipes_and_details() {
        const t = open()
        const [title, filter, add, up, down] = findAll(t.page, ["navTitle", "filterButton", "addTorrentButton", "uploadCard", "downloadCard"])
        compare([title.text, filter.text, filter.symbol, add.symbol, up.title, down.title],
                ["种子", "筛选", "line.3.horizontal.decrease.circle", "plus.circle.fill", "上传", "下载"])
        const done = row(t.list, "sample.bin")
        compare([done.progressText, done.tagList, Qt.colorEqual(findChild(done, "progressText").color, Theme.green)], ["100.0%", ["a", "b"], true])
        // Completed: no time to completion.
        verify(!findChild(done, "etaFigure").visible && findChild(done, "ratioFigure").visible)
        const meta = row(t.list, "ubuntu-demo.iso")
        compare([meta.stateIcon, Qt.colorEqual(findChild(meta, "stateIcon").color, Theme.blue)], ["info.circle.fill", true])
        verify(!findChild(t.page, "emptyState").visible)
        const shown = []
        for (const item of [done, meta]) {
            item.swipe.open(SwipeDelegate.Right)
            tryCompare(item.swipe, "position", -1)
            const [action, remove] = findAll(item.swipe.rightItem, ["swipePauseResume", "swipeDelete"])
            shown.push(action.text, action.symbol, remove.symbol)
            item.swipe.close()
        }
        compare(shown, ["开始", "play.fill", "trash", "暂停", "pause.fill", "trash"])
        tryCompare(meta.swipe, "position", 0)
        mouseClick(meta)
        tryCompare(t.stack, "depth", 2)
        compare(t.stack.currentItem.objectName, "torrentDetailView")
        compare(findChild(t.stack.currentItem, "navTitle").text, "详情")
        t.stack.pop()
    }

    // The menu of a paused torrent; deleting with the data asks first, cancelling sends nothing;
    // the failure's alert shows the advice directly under the message. Then a pull to refresh.
    function test_context_menu_delete_with_files_and_pull_to_refresh() {
        const t = open()
        row(t.list, "sample.bin").pressAndHold()
        const menu = findChild(t.page, "torrentContextMenu")
        tryCompare(menu, "opened", true)
        const texts = []
        for (let i = 0; i < menu.count; ++i)
            texts.push(menu.itemAt(i).text ?? "—")
        compare(texts, ["开始", "强制启动", "编辑…", "—", "强制重新校验", "强制重新汇报", "—", "删除种子", "删除种子和文件"])
        verify(menu.itemAt(7).destructive && menu.itemAt(8).destructive)
        menu.itemAt(8).triggered()
        menu.close()
        const confirmation = findChild(t.page, "deleteWithFilesConfirmation")
        tryCompare(confirmation, "opened", true)
        verify(findChild(confirmation, "confirmationText").text.indexOf("sample.bin") >= 0)
        mouseClick(findChild(confirmation, "cancelDeleteButton"))
        tryCompare(confirmation, "visible", false)
        // Nothing was sent: a request would have failed (no server) and raised an error.
        wait(100)
        compare([t.model.hasError, t.page.pendingDeleteHashes.length], [false, 0])
        // Confirmed, the request fails (the client is not connected) with the "not connected"
        // error, which carries advice; without advice there is no suggestion line.
        t.page.askDeleteWithFiles([row(t.list, "sample.bin").hash], "sample.bin")
        tryCompare(confirmation, "opened", true)
        mouseClick(findChild(confirmation, "confirmDeleteButton"))
        tryCompare(t.model, "hasError", true)
        const alert = findChild(t.page, "errorAlert")
        tryCompare(alert, "opened", true)
        const [message, detail] = findAll(alert, ["alertMessage", "alertDetail"])
        compare([alert.title, message.text, detail.text], ["提示", t.model.errorMessage, "建议：前往「设置」页面，添加并连接到 qBittorrent 服务器"])
        // No empty line between them.
        verify(detail.y - (message.y + message.height) < detail.font.pixelSize)
        compare(t.page.suggestionLine(""), "")
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(t.model, "hasError", false)
        tryCompare(alert, "visible", false)
        // A short pull springs back without refreshing; a long one refreshes once, and the load
        // really starts (it reaches the unconnected client).
        refreshSpy.target = findChild(t.page, "pullToRefresh")
        pull(t.list, 50)
        tryCompare(t.list, "verticalOvershoot", 0)
        compare(refreshSpy.count, 0)
        pull(t.list, 260)
        compare(refreshSpy.count, 1)
        tryCompare(t.model, "hasError", true)
        t.model.clearError()
    }

    function pull(list, to) {
        mousePress(list, 100, 20)
        for (let y = 20; y <= to; y += 10)
            mouseMove(list, 100, y)
        mouseRelease(list, 100, to)
    }

    // Over the session's server: entering the mode, toggling rows, 全选, the bar enabled only
    // with a selection, one request for the selected torrents, and the mode ends with it; the
    // data-deletion confirmation names the count.
    function test_selection_mode_and_bulk_actions() {
        const model = session.listModel()
        const stack = stackedScreen(pageComponent, { viewModel: model })
        const page = stack.currentItem
        const list = findChild(page, "torrentList")
        tryCompare(list, "count", 2)
        verify(!findChild(page, "bulkBar")) // made when the mode is first entered
        mouseClick(findChild(page, "selectButton"))
        const [bar, pause, title] = findAll(page, ["bulkBar", "bulkPause", "navTitle"])
        compare([page.selecting, bar.visible, pause.enabled, title.text], [true, true, false, "选择种子"])
        const first = row(list, "sample.bin")
        mouseClick(first)
        compare([first.isSelected, findChild(first, "selectionMark").name, pause.enabled, title.text],
                [true, "checkmark.circle.fill", true, "已选择 1 个种子"])
        compare(stack.depth, 1) // a tap selects instead of opening the details
        mouseClick(first)
        compare([first.isSelected, pause.enabled], [false, false])
        mouseClick(findChild(page, "selectAllButton"))
        compare(page.torrents.selectedCount, 2)
        const hashes = page.torrents.selectedHashes().join("|")
        wait(0) // the bar takes in the selection in the next turn of the event loop, before any real tap
        mouseClick(pause)
        tryVerify(() => session.requestsTo("/api/v2/torrents/pause").length === 1)
        compare(session.requestsTo("/api/v2/torrents/pause")[0], "hashes=" + hashes)
        compare([page.selecting, page.torrents.selectedCount, bar.visible], [false, 0, false])

        mouseClick(findChild(page, "selectButton"))
        mouseClick(findChild(page, "selectAllButton"))
        // The phone's bar has no room for 删除: it waits under "更多".
        const more = openMore(page)
        entries(more).find(item => item.objectName === "bulkDeleteItem").triggered()
        more.close()
        const menu = findChild(page, "bulkDeleteMenu")
        tryCompare(menu, "opened", true)
        menu.itemAt(1).triggered()
        menu.close()
        const confirmation = findChild(page, "deleteWithFilesConfirmation")
        tryCompare(confirmation, "opened", true)
        compare(findChild(confirmation, "confirmationText").text, "确定要删除选中的 2 个种子及其已下载的文件吗？此操作无法撤销。")
        mouseClick(findChild(confirmation, "confirmDeleteButton"))
        tryVerify(() => session.requestsTo("/api/v2/torrents/delete").length === 1)
        compare(session.requestsTo("/api/v2/torrents/delete")[0], "hashes=" + hashes + "&deleteFiles=true")
        compare(page.selecting, false)
    }

    function openMore(page) {
        mouseClick(findChild(page, "bulkMore"))
        const menu = findChild(page, "bulkMoreMenu")
        tryCompare(menu, "opened", true)
        return menu
    }
    function entries(menu) {
        return Array.from({ length: menu.count }, (_, i) => menu.itemAt(i))
    }

    // On a phone the selection bar keeps the leading buttons that fit and offers the rest under
    // "更多", where each acts as its button would: 标签 opens the tag sheet for the selection.
    function test_phone_bar_moves_the_rest_into_more() {
        const page = stackedScreen(pageComponent, { viewModel: session.listModel() }).currentItem
        tryCompare(findChild(page, "torrentList"), "count", 2)
        mouseClick(findChild(page, "selectButton"))
        mouseClick(findChild(page, "selectAllButton"))
        const names = ["bulkPause", "bulkResume", "bulkForceStart", "bulkRecheck", "bulkReannounce", "bulkCategory", "bulkTags", "bulkDelete"]
        const buttons = findAll(page, names)
        const [bar, more] = findAll(page, ["bulkBar", "bulkMore"])
        const hidden = names.filter((_, i) => !buttons[i].visible)
        verify(more.visible && hidden.length > 1 && hidden.length < names.length, hidden.join())
        compare(hidden, names.slice(names.length - hidden.length))
        tryVerify(() => more.x > 0 && more.x + more.width <= bar.availableWidth)
        const menu = openMore(page)
        compare(entries(menu).map(item => item.objectName), hidden.map(name => name + "Item"))
        compare(entries(menu).map(item => item.text), buttons.filter(button => !button.visible).map(button => button.text))
        entries(menu).find(item => item.objectName === "bulkTagsItem").triggered()
        menu.close()
        const sheet = findChild(page, "torrentEditSheet")
        tryCompare(sheet, "opened", true)
        compare([sheet.kind, page.selecting], ["tags", true])
    }

    // The edit menu of a row reads the torrent's state; a text edit opens its sheet with the
    // current value and sends what was typed.
    function test_edit_menu_and_rename() {
        const model = session.listModel()
        const page = stackedScreen(pageComponent, { viewModel: model }).currentItem
        const list = findChild(page, "torrentList")
        tryCompare(list, "count", 2)
        const target = row(list, "sample.bin")
        target.pressAndHold()
        const context = findChild(page, "torrentContextMenu")
        tryCompare(context, "opened", true)
        findChild(context, "menuEdit").triggered()
        context.close()
        const menu = findChild(page, "torrentEditMenu")
        tryCompare(menu, "opened", true)
        const [force, sequential, firstLast] = findAll(menu, ["toggleForceStart", "toggleSequential", "toggleFirstLast"])
        compare([force.checked, sequential.checked, firstLast.checked], [false, false, false])
        sequential.triggered()
        tryVerify(() => session.requestsTo("/api/v2/torrents/toggleSequentialDownload").length === 1)
        compare(session.requestsTo("/api/v2/torrents/toggleSequentialDownload")[0], "hashes=" + target.hash)
        menu.close()
        findChild(page, "torrentEditor").edit("rename", [target.hash])
        const sheet = findChild(page, "torrentEditSheet")
        tryCompare(sheet, "opened", true)
        const name = findChild(sheet.item, "nameField")
        compare(name.text, "sample.bin")
        name.text = "  "
        waitForRendering(sheet.item)
        mouseClick(findChild(sheet.item, "saveButton"))
        compare([sheet.opened, findChild(sheet.item, "editHint").text], [true, "名称不能为空"])
        name.text = "新 名称&.bin"
        mouseClick(findChild(sheet.item, "saveButton"))
        tryCompare(sheet, "visible", false)
        tryVerify(() => session.requestsTo("/api/v2/torrents/rename").length === 1)
        compare(session.requestsTo("/api/v2/torrents/rename")[0], "hash=" + target.hash + "&name=%E6%96%B0+%E5%90%8D%E7%A7%B0%26.bin")
    }

    // Over the session's server, which goes away: the bar tells why and how old the figures
    // are, which are faded; no alert opens. "重试" once it answers again brings the list back.
    function test_offline_bar_instead_of_alerts() {
        const model = session.listModel()
        const page = stackedScreen(pageComponent, { viewModel: model }).currentItem
        const list = findChild(page, "torrentList")
        tryCompare(list, "count", 2)
        const [bar, retry, stale, card] = findAll(page, ["offlineBar", "offlineRetry", "staleText", "downloadCard"])
        tryCompare(model, "isLoading", false)
        compare([bar.visible, row(list, "sample.bin").opacity], [false, 1])
        session.refuse()
        model.retryNow()
        tryCompare(bar, "visible", true)
        verify(model.offlineText.startsWith("已断开: 连接被拒绝 · "), model.offlineText)
        verify(stale.visible && stale.text.startsWith("更新于 "), stale.text)
        verify(row(list, "sample.bin").opacity < 1 && findChild(card, "speedNumber").parent.opacity < 1)
        tryCompare(model, "isLoading", false)
        mouseClick(retry)
        tryCompare(model, "isLoading", false)
        compare([bar.visible, model.hasError, findChild(page, "errorAlert").opened], [true, false, false])
        verify(session.answerAgain())
        mouseClick(retry)
        tryCompare(bar, "visible", false)
        compare(row(list, "sample.bin").opacity, 1)
    }

    // A right click on a row, or a long press, opens its menu where the pointer is; that row
    // alone is highlighted (not the torrent chosen in the wide list) until the menu closes.
    function test_row_menu_at_the_pointer_data() {
        return [{ tag: "right click", longPress: false }, { tag: "long press", longPress: true }]
    }
    function test_row_menu_at_the_pointer(data) {
        const t = open()
        t.stack.width = 1280
        tryCompare(t.page, "wide", true)
        // The offline bar has moved the rows down.
        waitForRendering(t.page)
        const chosen = row(t.list, "ubuntu-demo.iso")
        mouseClick(chosen, 40, chosen.height / 2)
        verify(chosen.current)
        const target = row(t.list, "sample.bin")
        const at = target.mapToItem(t.page, 60, 20)
        if (data.longPress) {
            mousePress(target, 60, 20)
            tryVerify(() => findChild(t.page, "torrentContextMenu")?.opened === true, 3000)
            mouseRelease(target, 60, 20)
        } else {
            mouseClick(target, 60, 20, Qt.RightButton)
        }
        const menu = findChild(t.page, "torrentContextMenu")
        tryCompare(menu, "opened", true)
        const current = () => ["ubuntu-demo.iso", "sample.bin"].map(name => row(t.list, name).current)
        compare([menu.hash, Math.round(menu.x), Math.round(menu.y)].concat(current()),
                [target.hash, Math.round(at.x), Math.round(at.y), false, true])
        menu.close()
        tryCompare(menu, "visible", false)
        compare(current(), [true, false])
        t.stack.width = 390
    }

    function luminance(c) {
        const linear = v => v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4)
        return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b)
    }
    function contrast(a, b) {
        const [light, dark] = [luminance(a), luminance(b)].sort((x, y) => y - x)
        return (light + 0.05) / (dark + 0.05)
    }

    // The keyboard: Tab reaches the list, whose current row has a focus ring of at least 3:1
    // against the background and a highlighted row's tint in either theme; the keys move the
    // current row, open it, select rows and ask before deleting.
    function test_keyboard_in_the_list() {
        const t = open()
        findChild(t.page, "addTorrentButton").forceActiveFocus()
        for (let i = 0; i < 12 && !t.list.activeFocus; ++i)
            keyClick(Qt.Key_Tab)
        verify(t.list.activeFocus)
        compare(t.list.currentIndex, 0)
        const ring = findChild(t.list.currentItem, "focusRing")
        verify(ring.visible)
        for (const theme of [Material.Light, Material.Dark]) {
            t.page.Material.theme = theme
            const background = t.page.Material.backgroundColor
            const tint = Qt.tint(background, Qt.rgba(Theme.blue.r, Theme.blue.g, Theme.blue.b, 0.12))
            for (const behind of [background, tint])
                verify(contrast(ring.border.color, behind) >= 3, `${ring.border.color} on ${behind}: ${contrast(ring.border.color, behind)}`)
        }
        t.page.Material.theme = Material.Light
        for (const [key, index] of [[Qt.Key_End, 1], [Qt.Key_Home, 0], [Qt.Key_Down, 1], [Qt.Key_Up, 0], [Qt.Key_PageDown, 1], [Qt.Key_PageUp, 0]]) {
            keyClick(key)
            compare(t.list.currentIndex, index, key)
        }
        const confirmation = () => findChild(t.page, "deleteWithFilesConfirmation")
        const name = t.list.currentItem.name
        keyClick(Qt.Key_Delete)
        tryCompare(confirmation(), "opened", true)
        verify(findChild(confirmation(), "confirmationText").text.indexOf(name) >= 0)
        mouseClick(findChild(confirmation(), "cancelDeleteButton"))
        tryCompare(confirmation(), "visible", false)
        t.list.forceActiveFocus()
        keyClick(Qt.Key_Return)
        tryCompare(t.stack, "depth", 2)
        t.stack.pop(null, StackView.Immediate)
        t.list.forceActiveFocus()
        keyClick(Qt.Key_A, Qt.ControlModifier)
        compare([t.page.selecting, t.page.torrents.selectedCount], [true, 2])
        keyClick(Qt.Key_Space)
        compare([t.page.torrents.selectedCount, t.list.currentItem.isSelected], [1, false])
        keyClick(Qt.Key_Delete)
        tryCompare(confirmation(), "opened", true)
        compare(findChild(confirmation(), "confirmationText").text, "确定要删除选中的 1 个种子及其已下载的文件吗？此操作无法撤销。")
        mouseClick(findChild(confirmation(), "cancelDeleteButton"))
        tryCompare(confirmation(), "visible", false)
        compare(t.model.hasError, false) // nothing was sent
    }

    // Wide: rows in columns under a header that sorts, the tapped torrent's detail beside the
    // list. Narrowed, the chosen torrent's detail is pushed; widened again, it is beside the
    // list again.
    function test_wide_layout_keeps_the_chosen_torrent() {
        const t = open()
        t.stack.width = 1280
        tryCompare(t.page, "wide", true)
        const target = row(t.list, "sample.bin")
        verify(findChild(t.page, "columnHeader").visible && findChild(target, "columnsRow").visible)
        mouseClick(target, 40, target.height / 2)
        compare([t.stack.depth, t.page.currentHash, target.current], [1, target.hash, true])
        const pane = findChild(t.page, "detailPane")
        tryVerify(() => findChild(pane, "torrentDetailView")?.viewModel.hash === target.hash)
        // A second click on the sorted column reverses the order; another column starts forwards.
        // The name column takes the width the figures leave, in the header as in the rows.
        const [size, name] = findAll(t.page, ["column_size", "column_name"])
        const names = () => Array.from({ length: t.list.count }, (_, i) => t.page.torrents.torrentAt(i).name)
        size.clicked()
        const bySize = names()
        compare([t.model.sortOption, t.model.sortReversed, size.text], ["size", false, "大小 ▾"])
        size.clicked()
        compare([t.model.sortReversed, size.text, names()], [true, "大小 ▴", bySize.slice().reverse()])
        name.clicked()
        compare([t.model.sortOption, t.model.sortReversed, name.text, size.text], ["name", false, "名称 ▴", "大小"])
        const header = findChild(t.page, "columnHeader")
        waitForRendering(t.page)
        compare(name.width, header.width - Theme.sizeColumn - Theme.progressColumn - 2 * Theme.speedColumn
                - Theme.ratioColumn - Theme.stateColumn - 6 * header.spacing)
        compare(findChild(target, "columnsRow").children[0].width, name.width)
        t.stack.width = 390
        tryCompare(t.stack, "depth", 2)
        compare([t.stack.currentItem.viewModel.hash, findChild(t.page, "columnHeader").visible], [target.hash, false])
        t.stack.width = 1280
        tryCompare(t.stack, "depth", 1)
        tryVerify(() => findChild(pane, "torrentDetailView")?.viewModel.hash === target.hash)
        t.stack.width = 390
        t.stack.pop(null, StackView.Immediate)
    }
    // The line between list and pane drags, within bounds (the list keeps 560 px, the pane
    // 320); the width is remembered, and a double click puts the default back. The pointer is
    // moved in the page's coordinates: the grip itself moves with the line.
    function test_detail_pane_width_drags_and_is_remembered() {
        const t = open()
        t.stack.width = 1280
        tryCompare(t.page, "wide", true)
        const [pane, grip] = findAll(t.page, ["detailPane", "paneGrip"])
        tryCompare(pane, "width", 460)
        waitForRendering(t.page)
        const drag = dx => {
            wait(Qt.styleHints.mouseDoubleClickInterval + 50) // two quick presses are a double click
            const at = grip.mapToItem(t.page, grip.width / 2, 100)
            mousePress(t.page, at.x, at.y)
            for (let step = 1; step <= 4; ++step)
                mouseMove(t.page, at.x + dx * step / 4, at.y)
            mouseRelease(t.page, at.x + dx, at.y)
        }
        drag(-200)
        tryCompare(pane, "width", 660)
        compare(AppSettings.detailPaneWidth, 660)
        drag(-700)
        tryCompare(pane, "width", 1280 - 561)
        drag(600)
        tryCompare(pane, "width", 320)
        compare(AppSettings.detailPaneWidth, 320)
        wait(Qt.styleHints.mouseDoubleClickInterval + 50)
        const at = grip.mapToItem(t.page, grip.width / 2, 100)
        mouseDoubleClickSequence(t.page, at.x, at.y)
        tryCompare(pane, "width", 460)
        compare(AppSettings.detailPaneWidth, 0)
        t.stack.width = 390
    }
}
