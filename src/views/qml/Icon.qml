// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls.Material
import Seedwhirl

// A symbol of the icon table drawn with the bundled icon font: Icon { name: "gear" }.
Text {
    id: root

    property string name
    property real size: 20

    text: Icons.glyph(name)
    font.family: Theme.iconFontFamily
    font.pixelSize: size
    color: Material.foreground
    width: size
    height: size
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true
}
