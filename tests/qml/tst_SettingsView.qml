import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "SettingsView"
    when: windowShown
    visible: true
    width: 390
    height: 844

    SettingsViewModel {
        id: model
    }
    ServerRows {
        id: rows
        model: model.servers
    }
    Component {
        id: pageComponent
        StackView {
            id: stack
            property SettingsViewModel viewModel: model
            property alias page: settingsPage
            width: 390
            height: 844
            initialItem: SettingsView {
                id: settingsPage
                viewModel: stack.viewModel
            }
        }
    }

    property bool savedAuto
    property real savedInterval
    property string savedPath

    function initTestCase() {
        savedAuto = AppSettings.isAutoRefreshEnabled
        savedInterval = AppSettings.refreshInterval
        savedPath = AppSettings.defaultSavePath
    }
    function cleanup() {
        compare(Icons.unmappedNames, [])
        AppSettings.isAutoRefreshEnabled = savedAuto
        AppSettings.refreshInterval = savedInterval
        AppSettings.defaultSavePath = savedPath
    }

    function test_without_active_server_it_leads_to_the_server_list() {
        for (const id of rows.ids())
            model.remove(id)
        tryCompare(model.servers, "count", 0)
        const stack = createTemporaryObject(pageComponent, testCase)
        verify(findChild(stack.page, "noServer").visible)
        mouseClick(findChild(stack.page, "currentServerRow"))
        tryCompare(stack, "depth", 2)
        compare(stack.currentItem.objectName, "serverListView")
        verify(findChild(stack.currentItem, "emptyState").visible)
        verify(findChild(stack.currentItem, "backButton").visible)
    }

    function test_interval_picker_follows_auto_refresh() {
        AppSettings.isAutoRefreshEnabled = true
        AppSettings.refreshInterval = 10
        const stack = createTemporaryObject(pageComponent, testCase)
        const picker = findChild(stack.page, "intervalPicker")
        verify(findChild(stack.page, "intervalRow").visible)
        compare(picker.model, ["3 秒", "5 秒", "10 秒", "15 秒", "30 秒"])
        compare(picker.currentText, "10 秒")
        mouseClick(findChild(stack.page, "autoRefreshSwitch"))
        compare(AppSettings.isAutoRefreshEnabled, false)
        verify(!findChild(stack.page, "intervalRow").visible)
        mouseClick(findChild(stack.page, "autoRefreshSwitch"))
        verify(findChild(stack.page, "intervalRow").visible)
        compare(picker.currentText, "10 秒")
        picker.activated(4)
        compare(AppSettings.refreshInterval, 30)
    }

    function test_category_menu_sets_the_default_path() {
        const session = TestSupport.startSession()
        session.serve("/api/v2/torrents/categories", JSON.stringify({ linux: { name: "linux", savePath: "/srv/linux" } }))
        const stack = createTemporaryObject(pageComponent, testCase, { viewModel: session.settingsModel() })
        // The categories come first, above the reset entry.
        const menu = findChild(stack.page, "savePathMenu")
        tryCompare(menu, "count", 2)
        menu.itemAt(0).triggered()
        compare(AppSettings.defaultSavePath, "/srv/linux")
        compare(findChild(stack.page, "savePathField").text, "/srv/linux")
        menu.itemAt(1).triggered()
        compare(AppSettings.defaultSavePath, "/downloads")
        stack.destroy()
        session.destroy()
    }

    function test_about_shows_the_version() {
        const stack = createTemporaryObject(pageComponent, testCase)
        mouseClick(findChild(stack.page, "aboutRow"))
        const sheet = findChild(stack.page, "aboutSheet")
        tryCompare(sheet, "opened", true)
        compare(findChild(sheet.item, "versionText").text, "版本 " + Format.appVersion())
        sheet.close()
    }
}
