// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// A menu entry with a symbol; destructive entries are red.
MenuItem {
    id: item

    property string symbol
    property bool destructive: false

    contentItem: RowLayout {
        spacing: 12
        Icon {
            name: item.symbol
            color: item.destructive ? Theme.red : item.Material.foreground
        }
        Label {
            Layout.fillWidth: true
            text: item.text
            color: item.destructive ? Theme.red : item.Material.foreground
        }
        // A checkable entry shows its state at the end of the line.
        Icon {
            objectName: "checkMark"
            visible: item.checkable
            opacity: item.checked ? 1 : 0
            name: "checkmark"
            color: Theme.blue
        }
    }
    indicator: null
}
