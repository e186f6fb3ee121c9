// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

    // The tabs of a freshly authenticated shell, ready for taps: laid out and drawn (a tap
    // before the first layout lands on provisional geometry). No server stands behind this
    // shell, so the list's first load fails: the list shows it is offline, and no alert takes
    // the taps.
    function showTabs(shell) {
        shell.isAuthenticated = true
        const tabs = shell.currentScreen
        const list = tabs.stacks[0].currentItem
        tryCompare(list.viewModel, "offline", true)
        compare(findChild(list, "errorAlert").opened, false)
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
        compare(texts(tabs, ["tab0", "tab1", "tab2", "tab3"]), ["种子", "统计", "搜索", "设置"])
        // Only the shown tab is built.
        compare([tabs.stacks[0].currentItem.objectName, tabs.stacks[1]], ["torrentListView", null])
        tabs.selectedTab = 3
        shell.isAuthenticated = false
        compare(shell.currentScreen.objectName, "welcomeView")
        shell.isAuthenticated = true
        compare(shell.currentScreen.selectedTab, 0)
    }

    // One medium haptic per change of tab (a tap on the selected tab is none); a page is built
    // when its tab is first shown; a wide window swaps the bar for a side rail.
    function test_tab_changes_by_bar_and_rail() {
        const shell = screen(shellComponent)
        const tabs = showTabs(shell)
        const [medium, all] = [Haptics.mediumCount, Haptics.count]
        mouseClick(findChild(tabs, "tab1"))
        compare(tabs.selectedTab, 1)
        mouseClick(findChild(tabs, "tab1"))
        mouseClick(findChild(tabs, "tab3"))
        tabs.selectedTab = 2
        compare([Haptics.mediumCount, Haptics.count], [medium + 3, all + 3])
        compare([tabs.stacks[3].currentItem.objectName, tabs.stacks[2].currentItem.objectName],
                ["settingsView", "searchTorrentView"])
        shell.width = 1000
        waitForRendering(tabs)
        verify(tabs.wide && !findChild(tabs, "tabBar").visible)
        mouseClick(findChild(tabs, "railTab1"))
        compare(tabs.selectedTab, 1)
        shell.width = 390
        compare([findChild(tabs, "tabBar").visible, findChild(tabs, "tabBar").currentIndex], [true, 1])
    }

    // The desktop's keys over the tabs, from the statistics tab: each shows its screen (F5
    // reloads the list where it is); with the add sheet open the tabs' keys do nothing, and
    // Escape closes the untouched sheet.
    function test_shortcuts_data() {
        return [
            { tag: "Ctrl+F", key: Qt.Key_F, modifiers: Qt.ControlModifier, tab: 2 },
            { tag: "Ctrl+,", key: Qt.Key_Comma, modifiers: Qt.ControlModifier, tab: 3 },
            { tag: "F5", key: Qt.Key_F5, modifiers: Qt.NoModifier, tab: 1 },
            { tag: "Ctrl+N", key: Qt.Key_N, modifiers: Qt.ControlModifier, tab: 0 }
        ]
    }
    function test_shortcuts(data) {
        const tabs = showTabs(screen(shellComponent))
        const list = tabs.stacks[0].currentItem
        tabs.selectedTab = 1
        keyClick(data.key, data.modifiers)
        compare(tabs.selectedTab, data.tab)
        if (data.tag === "Ctrl+F")
            tryVerify(() => findChild(tabs.stacks[2].currentItem, "searchField").activeFocus)
        if (data.tag === "F5")
            tryCompare(list.viewModel, "hasError", true) // the reload reached the unconnected client
        if (data.tag !== "Ctrl+N")
            return
        const sheet = findChild(list, "addTorrentSheet")
        tryCompare(sheet, "opened", true)
        keyClick(Qt.Key_Comma, Qt.ControlModifier)
        compare(tabs.selectedTab, 0)
        keyClick(Qt.Key_Escape)
        tryCompare(sheet, "visible", false)
        compare(list.showingAddTorrent, false)
    }

    // A second start of the application with a magnet link hands it over the session bus to
    // this one and ends; the link opens the torrent tab's add sheet. Without a server the
    // welcome screen says that the link waits.
    function test_a_second_start_hands_its_link_over() {
        verify(session.claimInstance())
        const magnet = "magnet:?xt=urn:btih:c9e15763f722f23e98a29decdfae341b98d53056&dn=demo"
        const shell = screen(shellComponent)
        session.startSecondInstance([magnet])
        tryVerify(() => session.secondInstanceExitCode() === 0, 10000)
        const waits = findChild(shell, "linkWaitsAlert")
        tryCompare(waits, "opened", true)
        mouseClick(findChild(waits, "alertOkButton"))
        tryCompare(waits, "visible", false)
        // The list's first load fails (no server) and its alert may come over the sheet.
        shell.isAuthenticated = true
        const list = shell.currentScreen.stacks[0].currentItem
        tryCompare(list, "showingAddTorrent", true)
        const sheet = findChild(list, "addTorrentSheet")
        tryVerify(() => sheet.item !== null)
        compare([sheet.item.viewModel.addMode, findChild(sheet.item, "urlField").text], [0, magnet])
        compare(Links.pending.length, 0)
    }
}
