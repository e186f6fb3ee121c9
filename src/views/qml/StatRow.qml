// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// One statistics line: the symbol in its colour in a fixed column, the label in the secondary
// colour, and the value at the trailing end.
RowLayout {
    id: row

    property string symbol
    property color color: Theme.blue
    property string label
    property string value

    Layout.fillWidth: true
    Layout.minimumHeight: 40
    spacing: 8

    Item {
        Layout.preferredWidth: 24
        Layout.preferredHeight: 24
        visible: row.symbol !== ""
        Icon {
            anchors.centerIn: parent
            name: row.symbol
            size: 20
            color: row.color
        }
    }
    Label {
        Layout.fillWidth: true
        text: row.label
        color: row.Material.secondaryTextColor
        elide: Text.ElideRight
    }
    Label {
        objectName: "statValue"
        Layout.maximumWidth: 220
        horizontalAlignment: Text.AlignRight
        text: row.value
        wrapMode: Text.WrapAnywhere
    }
}
