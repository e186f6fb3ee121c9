// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Product information.
Page {
    id: root
    objectName: "aboutView"

    signal closeRequested()

    header: NavBar {
        title: qsTr("关于")
        trailing: [
            BarButton {
                objectName: "closeButton"
                symbol: "xmark"
                Accessible.name: qsTr("关闭")
                onClicked: root.closeRequested()
            }
        ]
    }

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 48
        spacing: 12

        Image {
            objectName: "appIcon"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 96
            Layout.preferredHeight: 96
            source: "qrc:/icons/app.seedwhirl.Seedwhirl.svg"
            sourceSize.width: 192
            sourceSize.height: 192
            smooth: true
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: "Seedwhirl"
            font.pixelSize: 32
            font.bold: true
        }
        SecondaryLabel {
            objectName: "versionText"
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("版本 %1").arg(Format.appVersion())
            font.pixelSize: 15
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("简约而不简单")
            font.pixelSize: 16
        }
    }

    footer: ColumnLayout {
        spacing: 4
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Made with ❤️ by the Seedwhirl contributors")
            font.pixelSize: 12
            color: root.Material.secondaryTextColor
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: 24
            text: "© " + new Date().getFullYear() + " Seedwhirl"
            font.pixelSize: 12
            color: root.Material.secondaryTextColor
        }
    }
}
