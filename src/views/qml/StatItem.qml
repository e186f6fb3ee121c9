// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Seedwhirl

// A compact figure: a coloured symbol and a value, 4 points apart.
RowLayout {
    id: item

    property string icon
    property color color
    property string value

    spacing: 4

    Icon {
        Layout.alignment: Qt.AlignVCenter
        name: item.icon
        size: 14
        color: item.color
    }
    Label {
        objectName: "statValue"
        Layout.alignment: Qt.AlignVCenter
        text: item.value
        font.pixelSize: 12
    }
}
