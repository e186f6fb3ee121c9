import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

ScreenTestCase {
    id: testCase
    name: "StatisticsView"

    Component {
        id: pageComponent
        StatisticsView {}
    }
    Component {
        id: sheetComponent
        SpeedLimitSheet {}
    }

    // The figures, and the limit rows open the sheet.
    function test_sections_show_the_recorded_figures() {
        const model = session.statisticsModel()
        const page = stackedScreen(pageComponent, { viewModel: model }).currentItem
        tryCompare(findChild(findChild(page, "versionRow"), "statValue"), "text", "v4.5.2")
        tryVerify(() => model.serverState.loaded && model.transferInfo.loaded)
        const rows = ["shareRatioRow", "alltimeDownloadRow", "downloadLimitRow", "uploadLimitRow", "connectionRow", "freeSpaceRow"]
        // Nothing downloaded in all time: the share ratio is infinite.
        compare(findAll(page, rows).map(row => findChild(row, "statValue").text),
                ["∞", "0 B", "无限制", "无限制", Format.connectionStatusText("firewalled"), Format.formatBytes(85026189312)])
        tryCompare(findChild(page, "categoriesSection"), "title", "分类 (2)")
        mouseClick(findChild(page, "speedLimitButton"))
        verify(page.showingSpeedLimitSheet)
        tryCompare(findChild(page, "speedLimitPopup"), "opened", true)
        findChild(page, "speedLimitPopup").close()
    }

    // The sheet shows the limits in KB/s and hands the typed texts to the model, which converts
    // and sends them (its rules are tested without QML).
    function test_limit_sheet_prefills_in_kilobytes_and_saves_the_typed_texts() {
        session.serve("/api/v2/transfer/info",
                      "{\"connection_status\":\"connected\",\"dht_nodes\":3,\"dl_info_data\":0,\"dl_info_speed\":0,"
                      + "\"dl_rate_limit\":0,\"up_info_data\":0,\"up_info_speed\":0,\"up_rate_limit\":524288}")
        const model = session.statisticsModel()
        model.loadAll()
        tryVerify(() => model.transferInfo.loaded)
        const sheet = screen(sheetComponent, { viewModel: model })
        closeSpy.target = sheet
        compare(findChild(sheet, "navTitle").text, "速度限制")
        compare([sheet.downloadLimit, sheet.uploadLimit], ["0", "512"])
        compare(findAll(sheet, ["downloadLimitField", "uploadLimitField"]).map(field => field.placeholderText),
                ["下载限速 (KB/s, 0=无限制)", "上传限速 (KB/s, 0=无限制)"])
        sheet.downloadLimit = "100"
        sheet.uploadLimit = "12a"
        // Before the first layout the bar's buttons overlap, and the tap meant for "保存" can
        // land on "取消", which closes the sheet as well.
        waitForRendering(sheet)
        mouseClick(findChild(sheet, "saveButton"))
        compare(closeSpy.count, 1)
        tryVerify(() => session.requestsTo("/api/v2/transfer/setDownloadLimit").length > 0)
        compare(session.requestsTo("/api/v2/transfer/setDownloadLimit"), ["limit=102400"])
        wait(200)
        compare(session.requestsTo("/api/v2/transfer/setUploadLimit"), [])
    }
}
