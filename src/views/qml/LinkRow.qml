// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// A tappable settings row: symbol, text and a disclosure chevron.
ItemDelegate {
    id: row

    property string symbol

    Layout.fillWidth: true
    contentItem: RowLayout {
        spacing: 12
        Icon {
            name: row.symbol
            color: Theme.blue
        }
        Label {
            Layout.fillWidth: true
            text: row.text
            font.pixelSize: 16
        }
        Icon {
            name: "chevron.right"
            color: row.Material.hintTextColor
        }
    }
}
