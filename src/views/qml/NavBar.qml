// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The bar at the top of a page: an optional back button, leading items, the centred title and
// trailing items.
Item {
    id: bar

    property string title
    property bool showBack: false
    property alias leading: leadingRow.data
    property alias trailing: trailingRow.data

    signal backClicked()

    implicitHeight: 52

    Rectangle {
        anchors.fill: parent
        color: bar.Material.backgroundColor
        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: 1
            color: bar.Material.dividerColor
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 4
        anchors.rightMargin: 4
        spacing: 0

        ToolButton {
            objectName: "backButton"
            visible: bar.showBack
            contentItem: Icon {
                name: "chevron.left"
                size: 24
                color: Theme.blue
            }
            Accessible.name: qsTr("返回")
            onClicked: bar.backClicked()
        }
        Row {
            id: leadingRow
            Layout.alignment: Qt.AlignVCenter
        }
        Item {
            Layout.fillWidth: true
        }
        Row {
            id: trailingRow
            Layout.alignment: Qt.AlignVCenter
        }
    }

    Label {
        objectName: "navTitle"
        anchors.centerIn: parent
        width: Math.min(implicitWidth, bar.width - 2 * Math.max(leadingRow.width, trailingRow.width) - 112)
        text: bar.title
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        font.pixelSize: 17
        font.bold: true
    }
}
