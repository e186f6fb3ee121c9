// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

ApplicationWindow {
    id: window

    width: 390
    height: 844
    minimumWidth: 320
    minimumHeight: 480
    visible: true
    title: "Seedwhirl"

    Material.theme: Material.System
    Material.primary: Material.Blue
    Material.accent: Material.Blue

    // Made in slices between frames, so that the window answers from its first frame on: in
    // one piece the first screen's types, style and fonts held the thread for 80 ms and more.
    Loader {
        objectName: "mainLoader"
        anchors.fill: parent
        asynchronous: true
        source: "MainTabView.qml"
    }

    // A later start of the application asked for this window.
    Connections {
        target: Links
        function onRaiseRequested() {
            window.show()
            window.raise()
            window.requestActivate()
        }
    }
}
