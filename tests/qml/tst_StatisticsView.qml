// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

    // The figures; the limit rows open the sheet, which shows the limits in KB/s and hands the
    // typed texts to the model, which converts and sends them (its rules are tested without QML).
    function test_figures_and_the_limit_sheet() {
        session.serve("/api/v2/transfer/info", JSON.stringify({ connection_status: "connected", dht_nodes: 3, dl_info_data: 0, dl_info_speed: 0,
                                                               dl_rate_limit: 0, up_info_data: 0, up_info_speed: 0, up_rate_limit: 524288 }))
        const model = session.statisticsModel()
        const page = stackedScreen(pageComponent, { viewModel: model }).currentItem
        tryCompare(findChild(findChild(page, "versionRow"), "statValue"), "text", "v4.5.2")
        tryVerify(() => model.serverState.loaded && model.transferInfo.loaded)
        const rows = ["shareRatioRow", "alltimeDownloadRow", "downloadLimitRow", "uploadLimitRow", "connectionRow", "freeSpaceRow"]
        // Nothing downloaded in all time: the share ratio is infinite.
        compare(findAll(page, rows).map(row => findChild(row, "statValue").text),
                ["∞", "0 B", "无限制", "512.00 KB/s", Format.connectionStatusText("connected"), Format.formatBytes(85026189312)])
        tryCompare(findChild(page, "categoriesSection"), "title", "分类 (2)")
        mouseClick(findChild(page, "speedLimitButton"))
        const popup = findChild(page, "speedLimitPopup")
        tryCompare(popup, "opened", true)
        const sheet = popup.item
        compare([findChild(sheet, "navTitle").text, sheet.downloadLimit, sheet.uploadLimit], ["速度限制", "0", "512"])
        compare(findAll(sheet, ["downloadLimitField", "uploadLimitField"]).map(field => field.placeholderText),
                ["下载限速 (KB/s, 0=无限制)", "上传限速 (KB/s, 0=无限制)"])
        sheet.downloadLimit = "100"
        sheet.uploadLimit = "12a"
        // Before the first layout the bar's buttons overlap, and the tap meant for "保存" can
        // land on "取消", which closes the sheet as well.
        waitForRendering(sheet)
        mouseClick(findChild(sheet, "saveButton"))
        tryCompare(page, "showingSpeedLimitSheet", false)
        tryVerify(() => session.requestsTo("/api/v2/transfer/setDownloadLimit").length > 0)
        compare(session.requestsTo("/api/v2/transfer/setDownloadLimit"), ["limit=102400"])
        wait(200)
        compare(session.requestsTo("/api/v2/transfer/setUploadLimit"), [])
    }

    // The switch follows the server's mode, shows the one asked for at once, sends the toggle
    // only when the server's mode differs, and keeps what the next sync confirms.
    function test_alternative_speed_switch() {
        session.serve("/api/v2/transfer/speedLimitsMode", "0")
        const model = session.statisticsModel()
        const page = stackedScreen(pageComponent, { viewModel: model }).currentItem
        const [row, toggle] = findAll(page, ["altSpeedRow", "altSpeedSwitch"])
        tryCompare(row, "visible", true)
        compare(toggle.checked, false)
        session.serve("/api/v2/sync/maindata", JSON.stringify({ rid: 2, full_update: true, server_state: { use_alt_speed_limits: true } }))
        mouseClick(toggle)
        compare(toggle.checked, true)
        tryVerify(() => session.requestsTo("/api/v2/transfer/toggleSpeedLimitsMode").length === 1)
        tryVerify(() => model.alternativeSpeed === true && session.requestsTo("/api/v2/sync/maindata").length > 1)
        wait(100)
        compare(toggle.checked, true)
    }
}
