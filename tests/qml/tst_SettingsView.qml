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

    property var saved
    function initTestCase() {
        saved = [AppSettings.isAutoRefreshEnabled, AppSettings.refreshInterval, AppSettings.defaultSavePath]
    }
    function tearDown() {
        [AppSettings.isAutoRefreshEnabled, AppSettings.refreshInterval, AppSettings.defaultSavePath] = saved
    }

    function test_without_active_server_it_leads_to_the_server_list() {
        for (const id of Object.values(TestSupport.servers()))
            model.remove(id)
        tryCompare(model.servers, "count", 0)
        const stack = stackedScreen(pageComponent)
        verify(findChild(stack.currentItem, "noServer").visible)
        mouseClick(findChild(stack.currentItem, "currentServerRow"))
        tryCompare(stack, "depth", 2)
        compare(stack.currentItem.objectName, "serverListView")
        verify(findChild(stack.currentItem, "emptyState").visible && findChild(stack.currentItem, "backButton").visible)
    }

    // The interval picker follows auto-refresh; the about sheet shows the version.
    function test_interval_picker_and_about() {
        AppSettings.isAutoRefreshEnabled = true
        AppSettings.refreshInterval = 10
        const stack = stackedScreen(pageComponent)
        const [picker, row, autoRefresh] = findAll(stack.currentItem, ["intervalPicker", "intervalRow", "autoRefreshSwitch"])
        verify(row.visible)
        compare(picker.model, ["3 秒", "5 秒", "10 秒", "15 秒", "30 秒"])
        compare(picker.currentText, "10 秒")
        mouseClick(autoRefresh)
        compare(AppSettings.isAutoRefreshEnabled, false)
        verify(!row.visible)
        mouseClick(autoRefresh)
        verify(row.visible)
        compare(picker.currentText, "10 秒")
        picker.activated(4)
        compare(AppSettings.refreshInterval, 30)
        mouseClick(findChild(stack.currentItem, "aboutRow"))
        const sheet = findChild(stack.currentItem, "aboutSheet")
        tryCompare(sheet, "opened", true)
        compare(findChild(sheet.item, "versionText").text, "版本 " + Format.appVersion())
        sheet.close()
    }

    // The categories come first, above the reset entry.
    function test_category_menu_sets_the_default_path() {
        session.serve("/api/v2/torrents/categories", JSON.stringify({ linux: { name: "linux", savePath: "/srv/linux" } }))
        const stack = stackedScreen(pageComponent, { viewModel: session.settingsModel() })
        const menu = findChild(stack.currentItem, "savePathMenu")
        tryCompare(menu, "count", 2)
        menu.itemAt(0).triggered()
        compare([AppSettings.defaultSavePath, findChild(stack.currentItem, "savePathField").text], ["/srv/linux", "/srv/linux"])
        menu.itemAt(1).triggered()
        compare(AppSettings.defaultSavePath, "/downloads")
    }
}
