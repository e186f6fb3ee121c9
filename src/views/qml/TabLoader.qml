// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls

// One tab: its navigation stack, built the first time the tab is selected and kept from then
// on. `item` is the StackView.
Loader {
    id: tab

    required property int tabIndex
    required property int selectedTab
    required property Component page

    active: false
    onSelectedTabChanged: if (selectedTab === tabIndex) active = true
    Component.onCompleted: if (selectedTab === tabIndex) active = true

    sourceComponent: StackView {
        initialItem: tab.page
    }
}
