// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// A card for one speed figure: a header with symbol and title, the rate in large type with its
// unit apart, and a bar along the bottom whose length grows with the rate on a log scale (full
// at 100 MB/s), so that both slow and fast transfers show movement.
Rectangle {
    id: card

    property string title
    property real speed: 0
    property color color: Theme.blue
    property string icon
    // The figure is of the last answer (the server is not reached): shown faded.
    property bool stale: false
    readonly property string rateText: Format.formatBytes(speed, "/s")
    readonly property int split: rateText.indexOf(" ")
    readonly property real fill: speed < 1 ? 0 : Math.min(1, Math.log(speed) / Math.log(100 * 1024 * 1024))

    implicitHeight: 104
    implicitWidth: 160
    radius: 20
    clip: true
    gradient: Gradient {
        GradientStop {
            position: 0
            color: card.Material.theme === Material.Dark ? "#2c2c30" : "#f2f2f7"
        }
        GradientStop {
            position: 1
            color: card.Material.theme === Material.Dark ? "#222226" : "#e5e5ea"
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 14
        spacing: 6
        RowLayout {
            spacing: 6
            Icon {
                name: card.icon
                size: 18
                color: card.color
            }
            Label {
                text: card.title
                font.pixelSize: 13
                color: card.Material.secondaryTextColor
            }
        }
        Row {
            opacity: card.stale ? 0.45 : 1
            spacing: 4
            Label {
                objectName: "speedNumber"
                text: card.split > 0 ? card.rateText.substring(0, card.split) : card.rateText
                font.pixelSize: 26
                font.bold: true
            }
            Label {
                objectName: "speedUnit"
                anchors.baseline: parent.children[0].baseline
                text: card.split > 0 ? card.rateText.substring(card.split + 1) : ""
                font.pixelSize: 14
                font.bold: true
                color: card.Material.secondaryTextColor
            }
        }
        Item {
            Layout.fillHeight: true
        }
    }

    Rectangle {
        objectName: "speedBar"
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.leftMargin: 14
        anchors.bottomMargin: 8
        height: 3
        radius: 1.5
        width: (parent.width - 28) * card.fill
        color: card.color
        visible: card.fill > 0
    }
}
