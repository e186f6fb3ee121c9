// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// Pull-to-refresh for a Flickable (a ListView included): pulling the content down past
// `threshold` and letting go emits refresh(). The indicator sits in the space the pull opens
// above the content. The work it starts is not awaited, so the indicator never spins on.
Item {
    id: root

    required property Flickable flickable
    property real threshold: 72
    readonly property real pull: flickable ? Math.max(0, -flickable.verticalOvershoot) : 0
    readonly property bool armed: pull >= threshold

    signal refresh()

    parent: flickable
    anchors.left: parent ? parent.left : undefined
    anchors.right: parent ? parent.right : undefined
    y: pull / 2 - height / 2
    height: 40
    z: 10
    visible: pull > 4
    opacity: Math.min(1, pull / threshold)

    Connections {
        target: root.flickable
        // Released while still pulled past the threshold.
        function onDraggingChanged() {
            if (!root.flickable.dragging && root.armed)
                root.refresh()
        }
    }

    Row {
        anchors.centerIn: parent
        spacing: 6
        Icon {
            objectName: "pullArrow"
            name: "arrow.down"
            size: 18
            color: root.Material.secondaryTextColor
            rotation: root.armed ? 180 : 0
            Behavior on rotation {
                NumberAnimation {
                    duration: 120
                }
            }
        }
        Label {
            text: root.armed ? qsTr("松开刷新") : qsTr("下拉刷新")
            font.pixelSize: 13
            color: root.Material.secondaryTextColor
        }
    }
}
