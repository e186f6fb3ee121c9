// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

// A segmented choice over a fixed number of titles; the titles may change (a count in one of
// them) without the selection moving.
TabBar {
    id: picker

    property list<string> titles
    property string title

    Accessible.name: title

    Repeater {
        model: picker.titles.length
        TabButton {
            required property int index
            objectName: "segment" + index
            text: picker.titles[index]
            // Titles are shown as written ("Trackers", not "TRACKERS").
            font.capitalization: Font.MixedCase
            leftPadding: 4
            rightPadding: 4
        }
    }
}
