import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "TorrentDetailView"
    when: windowShown
    visible: true
    width: 390
    height: 844

    readonly property string hash: "0123456789abcdef0123456789abcdef01234567"
    property var session: null

    Component {
        id: pageComponent
        TorrentDetailView {
            width: 390
            height: 844
            torrent: undefined
        }
    }

    function init() {
        session = TestSupport.startSession()
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
        session.destroy()
        session = null
    }

    function peersAnswer(count) {
        const peers = {}
        for (let i = 0; i < count; ++i) {
            peers["10.0.0." + i + ":6881"] = { ip: "10.0.0." + i, port: 6881, client: "qBittorrent/4.5.2",
                                               progress: 0.5, dl_speed: 1024, up_speed: 0, country_code: "",
                                               connection: "BT", flags: "", downloaded: 0, uploaded: 0,
                                               relevance: 0, files: "", country: "", flags_desc: "" }
        }
        return JSON.stringify({ full_update: true, rid: 1, show_flags: true, peers: peers })
    }

    function test_tab_titles_count_the_loaded_peers() {
        session.serve("/api/v2/sync/torrentPeers", peersAnswer(12))
        const page = screen(pageComponent, { viewModel: session.detailModel(hash) })
        compare(findChild(page, "navTitle").text, "详情")
        tryCompare(page.viewModel, "peerCount", 12)
        compare(page.tabTitles, ["基本信息", "文件", "Trackers", "Peers (12)"])
        compare(findChild(page, "segment3").text, "Peers (12)")
        compare(findChild(page, "segment2").text, "Trackers")
    }

    function test_information_rows_come_first() {
        const page = screen(pageComponent, { viewModel: session.detailModel(hash) })
        const labels = page.viewModel.info.map(r => r.label)
        compare(labels[0], "名称")
        compare(page.viewModel.info[0].value, "ubuntu-demo.iso")
        // Not completed: no completion row.
        verify(labels.indexOf("完成时间") < 0)
        compare(labels[labels.length - 1], "保存路径")
    }

    function test_a_failed_list_keeps_its_load_button_and_retries_alone() {
        session.serve("/api/v2/torrents/trackers", "", 500)
        const page = screen(pageComponent, { viewModel: session.detailModel(hash) })
        verify(session.waitForRequestsTo("/api/v2/torrents/trackers", 1))
        tryCompare(page.viewModel, "hasError", true)
        page.selectedTab = 2
        const trackers = findChild(page, "trackersTab")
        const button = findChild(trackers, "loadButton")
        verify(button.visible)
        compare(button.text, "加载 Trackers")
        const files = session.requestsTo("/api/v2/torrents/files").length
        const peers = session.requestsTo("/api/v2/sync/torrentPeers").length
        session.serve("/api/v2/torrents/trackers", TestSupport.fixtureText("torrent-trackers.json"))
        mouseClick(button)
        tryVerify(() => trackers.count > 0)
        verify(!button.visible)
        compare(session.requestsTo("/api/v2/torrents/trackers").length, 2)
        compare(session.requestsTo("/api/v2/torrents/files").length, files)
        compare(session.requestsTo("/api/v2/sync/torrentPeers").length, peers)
    }
}
