// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts

// A grouped form or list section: a small heading, the rows on a rounded card, and an optional
// footer hint.
ColumnLayout {
    id: section

    property string title
    property string footer
    default property alias content: rows.data

    spacing: 6

    Label {
        visible: section.title !== ""
        Layout.leftMargin: 16
        text: section.title
        font.pixelSize: 13
        color: section.Material.secondaryTextColor
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: rows.implicitHeight + 8
        radius: 12
        color: section.Material.theme === Material.Dark ? "#2a2a2e" : "#f2f2f7"
        ColumnLayout {
            id: rows
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 4
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            spacing: 0
        }
    }
    Label {
        visible: section.footer !== ""
        Layout.leftMargin: 16
        Layout.fillWidth: true
        text: section.footer
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: section.Material.secondaryTextColor
    }
}
