// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

Label {
    color: Material.secondaryTextColor
    font.pixelSize: 13
    wrapMode: Text.Wrap
}
