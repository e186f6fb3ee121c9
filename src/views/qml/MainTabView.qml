// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import Seedwhirl

// The welcome screen while the API client is not logged in, the four tabs once it is. When
// the login is lost the whole window returns to the welcome screen. A server certificate the
// client refused is asked about over either.
Item {
    id: root

    // Made once for the view's lifetime and handed to every server screen.
    property SettingsViewModel serverViewModel: SettingsViewModel {}
    property bool isAuthenticated: ApiClient.isAuthenticated
    readonly property Item currentScreen: loader.item as Item

    Loader {
        id: loader
        anchors.fill: parent
        sourceComponent: root.isAuthenticated ? tabsComponent : welcomeComponent
    }

    Component {
        id: welcomeComponent
        WelcomeView {
            viewModel: root.serverViewModel
        }
    }

    // Links handed to the application wait for a connected server; without one the welcome
    // screen says so.
    AlertDialog {
        objectName: "linkWaitsAlert"
        title: qsTr("收到种子链接")
        shown: !root.isAuthenticated && Links.pending.length > 0 && !root.linkNoticeSeen
        message: qsTr("连接服务器后会打开添加种子页面。请先选择或添加一个服务器。")
        onAcknowledged: root.linkNoticeSeen = true
    }
    property bool linkNoticeSeen: false

    TrustSheet {
        objectName: "trustSheet"
        prompt: root.serverViewModel.certificatePrompt
        onTrusted: root.serverViewModel.trustCertificate()
        onCancelled: root.serverViewModel.dismissCertificatePrompt()
    }

    Component {
        id: tabsComponent
        MainTabs {
            serverViewModel: root.serverViewModel
        }
    }

    // The waiting links open the add sheet of the torrent tab: the links to fetch together (the
    // server takes one per line), a file alone; the links after a file wait for the next time.
    property bool openingLinks: false
    function openPendingLink() {
        const tabs = loader.item as MainTabs
        if (root.openingLinks || !root.isAuthenticated || !tabs || Links.pending.length === 0)
            return
        root.openingLinks = true
        root.linkNoticeSeen = false
        const first = Links.take()
        let links = first
        while (!first.startsWith("file:") && Links.pending.length > 0 && !String(Links.pending[0]).startsWith("file:"))
            links += "\n" + Links.take()
        tabs.openLink(links)
        root.openingLinks = false
    }
    Connections {
        target: Links
        function onPendingChanged() {
            root.openPendingLink()
        }
    }
    Connections {
        target: loader
        function onLoaded() {
            root.openPendingLink()
        }
    }
}
