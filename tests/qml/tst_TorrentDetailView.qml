// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

ScreenTestCase {
    id: testCase
    name: "TorrentDetailView"

    readonly property string hash: "0123456789abcdef0123456789abcdef01234567"

    Component {
        id: pageComponent
        TorrentDetailView {
            torrent: undefined
        }
    }

    function test_tabs_show_the_loaded_rows() {
        const peers = {}
        for (let i = 0; i < 12; ++i)
            peers["10.0.0." + i + ":6881"] = { ip: "10.0.0." + i, port: 6881, client: "", progress: 0.5, dl_speed: 1024, up_speed: 0,
                                               connection: "BT", flags: "", downloaded: 0, uploaded: 0, country: "" }
        session.serve("/api/v2/sync/torrentPeers", JSON.stringify({ rid: 1, peers: peers }))
        const page = screen(pageComponent, { viewModel: session.detailModel(hash) })
        tryCompare(page.viewModel.peers, "count", 12)
        compare([findChild(page, "navTitle").text].concat(page.tabTitles, findChild(page, "segment3").text),
                ["详情", "基本信息", "文件", "Trackers", "Peers (12)", "Peers (12)"])
        // Each tab's delegate reads its row's roles: [list, role, first row's value].
        const tabs = [["infoList", "value", "ubuntu-demo.iso"], ["filesTab", "name", "sample.bin"],
                      ["trackersTab", "url", "** [DHT] **"], ["peersTab", "address", "10.0.0.0:6881"]]
        for (const [tab, [name, role, value]] of tabs.entries()) {
            page.selectedTab = tab
            const list = findChild(page, name)
            tryVerify(() => list.count > 0 && list.itemAtIndex(0) !== null, 5000, name)
            compare(list.itemAtIndex(0)[role], value, name)
        }
        verify(!findChild(findChild(page, "filesTab"), "loadButton").visible)
    }

    // Only that list is asked again.
    function test_a_failed_list_keeps_its_load_button_and_retries() {
        session.failOnce("/api/v2/torrents/trackers")
        const page = screen(pageComponent, { viewModel: session.detailModel(hash) })
        tryCompare(page.viewModel, "hasError", true)
        page.selectedTab = 2
        const trackers = findChild(page, "trackersTab")
        const button = findChild(trackers, "loadButton")
        compare([button.visible, button.text], [true, "加载 Trackers"])
        const others = () => [session.requestsTo("/api/v2/torrents/files").length, session.requestsTo("/api/v2/sync/torrentPeers").length]
        const before = others()
        mouseClick(button)
        // The list takes the new rows in at its next layout.
        tryCompare(button, "visible", false)
        verify(trackers.count > 0)
        compare(session.requestsTo("/api/v2/torrents/trackers").length, 2)
        compare(others(), before)
    }

    // Folders sum their files; a torrent with one top folder opens with it open; a folder's
    // priority goes out in one request naming every file under it.
    function test_file_tree_and_folder_priority() {
        session.serve("/api/v2/torrents/files", JSON.stringify([
            { index: 0, name: "Show/S1/e1.mkv", size: 100, progress: 1, priority: 1, availability: 1 },
            { index: 1, name: "Show/S1/e2.mkv", size: 300, progress: 0, priority: 1, availability: 1 },
            { index: 2, name: "Show/readme.txt", size: 100, progress: 0.5, priority: 0, availability: 1 }]))
        const page = screen(pageComponent, { viewModel: session.detailModel(hash) })
        page.selectedTab = 1
        const list = findChild(page, "filesTab")
        const rows = () => {
            list.forceLayout()
            return Array.from({ length: list.count }, (_, i) => list.itemAtIndex(i))
                .map(r => [r.name, r.depth, r.sizeText, r.progressText, r.priorityText].join(" "))
        }
        tryCompare(list, "count", 3)
        compare(rows(), ["Show 0 500 B 30.0% 混合", "S1 1 400 B 25.0% 普通", "readme.txt 1 100 B 50.0% 不下载"])
        mouseClick(list.itemAtIndex(1))
        compare(rows().slice(1, 4), ["S1 1 400 B 25.0% 普通", "e1.mkv 2 100 B 100.0% 普通", "e2.mkv 2 300 B 0.0% 普通"])
        mouseClick(findChild(list.itemAtIndex(1), "priorityButton"))
        const menu = findChild(page, "filePriorityMenu")
        tryCompare(menu, "opened", true)
        compare(menu.itemAt(3).text, "不下载")
        menu.itemAt(3).triggered()
        menu.close()
        // Shown at once, before the server's answer.
        compare(rows()[1], "S1 1 400 B 25.0% 不下载")
        tryVerify(() => session.requestsTo("/api/v2/torrents/filePrio").length === 1)
        compare(session.requestsTo("/api/v2/torrents/filePrio")[0], "hash=" + hash + "&id=0%7C1&priority=0")
    }
}
