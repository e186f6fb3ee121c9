// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// A centred empty or prompt state: a large symbol, a title and a hint.
ColumnLayout {
    id: placeholder

    property string symbol
    property string title
    property string hint

    anchors.centerIn: parent
    width: parent ? parent.width - 48 : 300
    spacing: 8

    Icon {
        Layout.alignment: Qt.AlignHCenter
        name: placeholder.symbol
        size: 56
        color: placeholder.Material.hintTextColor
    }
    Label {
        Layout.alignment: Qt.AlignHCenter
        text: placeholder.title
        font.pixelSize: 18
        font.bold: true
    }
    SecondaryLabel {
        Layout.fillWidth: true
        horizontalAlignment: Text.AlignHCenter
        text: placeholder.hint
    }
}
