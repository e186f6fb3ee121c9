// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// A toolbar button with a symbol, a text, or both.
ToolButton {
    id: control

    property string symbol
    property color tint: Theme.blue

    Accessible.name: text
    contentItem: RowLayout {
        spacing: 4
        Icon {
            visible: control.symbol !== ""
            name: control.symbol
            size: 22
            color: control.enabled ? control.tint : control.Material.hintTextColor
        }
        Label {
            visible: control.text !== ""
            text: control.text
            font.pixelSize: 16
            color: control.enabled ? control.tint : control.Material.hintTextColor
        }
    }
}
