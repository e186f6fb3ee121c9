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
}
