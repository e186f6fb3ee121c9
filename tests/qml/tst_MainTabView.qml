import QtQuick
import QtTest
import Seedwhirl

ScreenTestCase {
    id: testCase
    name: "MainTabView"

    Component {
        id: shellComponent
        MainTabView {
            isAuthenticated: false
        }
    }

    property bool savedAuto
    function initTestCase() {
        // Without a server every timed refresh of the torrent list fails and raises its alert
        // again, which would take the taps meant for the tabs.
        savedAuto = AppSettings.isAutoRefreshEnabled
        AppSettings.isAutoRefreshEnabled = false
    }
    function cleanupTestCase() {
        AppSettings.isAutoRefreshEnabled = savedAuto
    }

    // The tabs of a freshly authenticated shell, ready for taps: laid out and drawn (a tap
    // before the first layout lands on provisional geometry), and with the torrent list's alert
    // acknowledged. No server stands behind this shell, so the list's first load fails and its
    // modal alert would take every tap, as it would a user's.
    function showTabs(shell) {
        shell.isAuthenticated = true
        const tabs = shell.currentScreen
        const list = tabs.stacks[0].currentItem
        tryCompare(list.viewModel, "hasError", true)
        const alert = findChild(list, "errorAlert")
        tryCompare(alert, "opened", true)
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(alert, "visible", false)
        waitForRendering(tabs)
        return tabs
    }

    // Welcome until logged in and again after losing the login; the tabs come back on the first.
    function test_tabs_appear_after_the_login_with_the_torrents_tab_selected() {
        const shell = screen(shellComponent)
        compare(shell.currentScreen.objectName, "welcomeView")
        shell.isAuthenticated = true
        const tabs = shell.currentScreen
        compare([tabs.objectName, tabs.selectedTab], ["mainTabs", 0])
        compare(findAll(tabs, ["tab0", "tab1", "tab2", "tab3"]).map(tab => tab.text), ["种子", "统计", "搜索", "设置"])
        compare(tabs.tabSymbols, ["arrow.down.circle", "chart.bar", "magnifyingglass", "gear"])
        // Only the shown tab is built.
        compare([tabs.stacks[0].currentItem.objectName, tabs.stacks[1]], ["torrentListView", null])
        tabs.selectedTab = 3
        shell.isAuthenticated = false
        compare(shell.currentScreen.objectName, "welcomeView")
        shell.isAuthenticated = true
        compare(shell.currentScreen.selectedTab, 0)
    }

    function test_one_medium_haptic_per_tab_change() {
        const tabs = showTabs(screen(shellComponent))
        const medium = Haptics.mediumCount
        const all = Haptics.count
        mouseClick(findChild(tabs, "tab1"))
        compare(tabs.selectedTab, 1)
        compare(Haptics.mediumCount, medium + 1)
        // Tapping the selected tab again is no change.
        mouseClick(findChild(tabs, "tab1"))
        compare(Haptics.mediumCount, medium + 1)
        mouseClick(findChild(tabs, "tab3"))
        tabs.selectedTab = 2
        compare([Haptics.mediumCount, Haptics.count], [medium + 3, all + 3])
        compare([tabs.stacks[3].currentItem.objectName, tabs.stacks[2].currentItem.objectName],
                ["settingsView", "searchTorrentView"])
    }

    function test_wide_window_uses_a_side_rail() {
        const shell = screen(shellComponent)
        shell.width = 1000
        const tabs = showTabs(shell)
        verify(tabs.wide && !findChild(tabs, "tabBar").visible)
        const rail = findChild(tabs, "railTab1")
        verify(rail.visible)
        mouseClick(rail)
        compare(tabs.selectedTab, 1)
        shell.width = 390
        verify(findChild(tabs, "tabBar").visible)
        compare(findChild(tabs, "tabBar").currentIndex, 1)
    }
}
