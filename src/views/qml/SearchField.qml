// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

TextField {
    id: field

    leftPadding: 40
    rightPadding: clear.visible ? 40 : 12
    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
    selectByMouse: true

    Icon {
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: (field.topPadding - field.bottomPadding) / 2
        name: "magnifyingglass"
        color: field.Material.hintTextColor
    }
    ToolButton {
        id: clear
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: (field.topPadding - field.bottomPadding) / 2
        visible: field.text !== ""
        contentItem: Icon {
            name: "xmark.circle.fill"
            size: 18
            color: field.Material.hintTextColor
        }
        Accessible.name: qsTr("清除")
        onClicked: field.clear()
    }
}
