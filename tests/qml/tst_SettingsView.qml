// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

ScreenTestCase {
    id: testCase
    name: "SettingsView"

    SettingsViewModel {
        id: model
    }
    Component {
        id: pageComponent
        SettingsView {
            viewModel: model
        }
    }

    function test_without_active_server_it_leads_to_the_server_list() {
        removeAllProfiles(model)
        const stack = stackedScreen(pageComponent)
        verify(findChild(stack.currentItem, "noServer").visible)
        mouseClick(findChild(stack.currentItem, "currentServerRow"))
        tryCompare(stack, "depth", 2)
        compare(stack.currentItem.objectName, "serverListView")
        verify(findChild(stack.currentItem, "emptyState").visible && findChild(stack.currentItem, "backButton").visible)
    }

    // The categories come first in the save-path menu, above the reset entry; the interval
    // picker follows auto-refresh; the about sheet shows the version.
    function test_save_path_menu_interval_picker_and_about() {
        session.serve("/api/v2/torrents/categories", JSON.stringify({ linux: { name: "linux", savePath: "/srv/linux" } }))
        AppSettings.isAutoRefreshEnabled = true
        AppSettings.refreshInterval = 10
        const page = stackedScreen(pageComponent, { viewModel: session.settingsModel() }).currentItem
        const menu = findChild(page, "savePathMenu")
        tryCompare(menu, "count", 2)
        menu.itemAt(0).triggered()
        compare([AppSettings.defaultSavePath, findChild(page, "savePathField").text], ["/srv/linux", "/srv/linux"])
        menu.itemAt(1).triggered()
        compare(AppSettings.defaultSavePath, "/downloads")
        const [picker, row, autoRefresh] = findAll(page, ["intervalPicker", "intervalRow", "autoRefreshSwitch"])
        compare([row.visible, picker.currentText], [true, "10 秒"])
        compare(picker.model, ["3 秒", "5 秒", "10 秒", "15 秒", "30 秒"])
        mouseClick(autoRefresh)
        compare([AppSettings.isAutoRefreshEnabled, row.visible], [false, false])
        mouseClick(autoRefresh)
        compare([row.visible, picker.currentText], [true, "10 秒"])
        picker.activated(4)
        compare(AppSettings.refreshInterval, 30)
        mouseClick(findChild(page, "aboutRow"))
        const sheet = findChild(page, "aboutSheet")
        tryCompare(sheet, "opened", true)
        compare(findChild(sheet.item, "versionText").text, "版本 " + Format.appVersion())
        sheet.close()
    }
}
