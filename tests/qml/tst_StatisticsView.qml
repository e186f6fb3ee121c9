import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

SessionTestCase {
    id: testCase
    name: "StatisticsView"


    Component {
        id: pageComponent
        StackView {
            id: stack
            property StatisticsViewModel model
            property alias page: statsPage
            width: 390
            height: 844
            initialItem: StatisticsView {
                id: statsPage
                viewModel: stack.model
            }
        }
    }
    Component {
        id: sheetComponent
        SpeedLimitSheet {
            width: 390
            height: 844
        }
    }

    function value(page, rowName) {
        return findChild(findChild(page, rowName), "statValue").text
    }

    function test_sections_show_the_recorded_figures() {
        const model = session.statisticsModel()
        const stack = screen(pageComponent, { model: model })
        const page = stack.page
        tryCompare(findChild(findChild(page, "versionRow"), "statValue"), "text", "v4.5.2")
        tryVerify(() => model.serverState.loaded && model.transferInfo.loaded)
        // Nothing downloaded in all time: the share ratio is infinite.
        compare(value(page, "shareRatioRow"), "∞")
        compare(value(page, "alltimeDownloadRow"), "0 B")
        compare(value(page, "downloadLimitRow"), "无限制")
        compare(value(page, "uploadLimitRow"), "无限制")
        compare(value(page, "connectionRow"), Format.connectionStatusText("firewalled"))
        compare(value(page, "freeSpaceRow"), Format.formatBytes(85026189312))
        tryCompare(findChild(page, "categoriesSection"), "title", "分类 (2)")
    }

    function test_limit_sheet_prefills_in_kilobytes() {
        session.serve("/api/v2/transfer/info",
                      "{\"connection_status\":\"connected\",\"dht_nodes\":3,\"dl_info_data\":0,\"dl_info_speed\":0,"
                      + "\"dl_rate_limit\":0,\"up_info_data\":0,\"up_info_speed\":0,\"up_rate_limit\":524288}")
        const model = session.statisticsModel()
        model.loadAll()
        tryVerify(() => model.transferInfo.loaded)
        const sheet = screen(sheetComponent, { viewModel: model })
        compare(findChild(sheet, "navTitle").text, "速度限制")
        compare(sheet.downloadLimit, "0")
        compare(sheet.uploadLimit, "512")
        compare(findChild(sheet, "downloadLimitField").placeholderText, "下载限速 (KB/s, 0=无限制)")
        compare(findChild(sheet, "uploadLimitField").placeholderText, "上传限速 (KB/s, 0=无限制)")
    }

    function test_saving_sends_bytes_and_skips_bad_or_overflowing_entries() {
        const model = session.statisticsModel()
        const sheet = screen(sheetComponent, { viewModel: model })
        const closeSpy = createTemporaryQmlObject("import QtTest; SignalSpy { signalName: \"closeRequested\" }", testCase)
        closeSpy.target = sheet
        sheet.downloadLimit = "100"
        // 2^53 KB/s times 1024 leaves the 64-bit range.
        sheet.uploadLimit = "9007199254740992"
        // Before the first layout the bar's buttons overlap, and the tap meant for "保存" can
        // land on "取消", which closes the sheet as well.
        waitForRendering(sheet)
        mouseClick(findChild(sheet, "saveButton"))
        compare(closeSpy.count, 1)
        verify(session.waitForRequestsTo("/api/v2/transfer/setDownloadLimit", 1))
        compare(session.requestsTo("/api/v2/transfer/setDownloadLimit")[0].body, "limit=102400")
        wait(200)
        compare(session.requestsTo("/api/v2/transfer/setUploadLimit").length, 0)

        const again = screen(sheetComponent, { viewModel: model })
        again.downloadLimit = "12a"
        again.uploadLimit = ""
        again.save()
        wait(200)
        compare(session.requestsTo("/api/v2/transfer/setDownloadLimit").length, 1)
        compare(session.requestsTo("/api/v2/transfer/setUploadLimit").length, 0)
    }

    function test_limit_rows_open_the_sheet() {
        const model = session.statisticsModel()
        const stack = screen(pageComponent, { model: model })
        mouseClick(findChild(stack.page, "speedLimitButton"))
        verify(stack.page.showingSpeedLimitSheet)
        tryCompare(findChild(stack.page, "speedLimitPopup"), "opened", true)
        findChild(stack.page, "speedLimitPopup").close()
    }
}
