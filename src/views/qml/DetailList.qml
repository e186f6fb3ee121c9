// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// A detail tab's list, or its load button while the list is empty (never loaded, or the load
// failed).
ListView {
    id: list

    property string loadText

    signal loadRequested()

    clip: true

    Button {
        objectName: "loadButton"
        anchors.centerIn: parent
        visible: list.count === 0
        text: list.loadText
        flat: true
        font.capitalization: Font.MixedCase
        Material.foreground: Theme.blue
        onClicked: list.loadRequested()
    }
}
