import QtQuick
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "MainTabView"
    when: windowShown
    visible: true
    width: 390
    height: 844

    Component {
        id: shellComponent
        MainTabView {
            width: testCase.width
            height: testCase.height
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
    function cleanup() {
        compare(Icons.unmappedNames, [])
    }

    function test_tabs_appear_with_the_torrents_tab_selected() {
        const shell = createTemporaryObject(shellComponent, testCase)
        shell.isAuthenticated = true
        const tabs = shell.currentScreen
        compare(tabs.objectName, "mainTabs")
        compare(tabs.selectedTab, 0)
        const titles = [0, 1, 2, 3].map(i => findChild(tabs, "tab" + i).text)
        compare(titles, ["种子", "统计", "搜索", "设置"])
        compare(tabs.tabs.map(t => t.symbol), ["arrow.down.circle", "chart.bar", "magnifyingglass", "gear"])
        // Only the shown tab is built.
        verify(tabs.stacks[0] !== null)
        compare(tabs.stacks[0].currentItem.objectName, "torrentListView")
        compare(tabs.stacks[1], null)
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

    function test_one_medium_haptic_per_tab_change() {
        const shell = createTemporaryObject(shellComponent, testCase)
        const tabs = showTabs(shell)
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
        compare(Haptics.mediumCount, medium + 3)
        compare(Haptics.count, all + 3)
        compare(tabs.stacks[3].currentItem.objectName, "settingsView")
        compare(tabs.stacks[2].currentItem.objectName, "searchTorrentView")
    }

    function test_welcome_until_logged_in_and_again_after_losing_the_login() {
        const shell = createTemporaryObject(shellComponent, testCase)
        compare(shell.currentScreen.objectName, "welcomeView")
        shell.isAuthenticated = true
        shell.currentScreen.selectedTab = 3
        shell.isAuthenticated = false
        compare(shell.currentScreen.objectName, "welcomeView")
        shell.isAuthenticated = true
        compare(shell.currentScreen.selectedTab, 0)
    }

    function test_wide_window_uses_a_side_rail() {
        const shell = createTemporaryObject(shellComponent, testCase)
        shell.width = 1000
        const tabs = showTabs(shell)
        verify(tabs.wide)
        verify(!findChild(tabs, "tabBar").visible)
        const rail = findChild(tabs, "railTab1")
        verify(rail.visible)
        mouseClick(rail)
        compare(tabs.selectedTab, 1)
        shell.width = 390
        verify(findChild(tabs, "tabBar").visible)
        compare(findChild(tabs, "tabBar").currentIndex, 1)
    }
}
