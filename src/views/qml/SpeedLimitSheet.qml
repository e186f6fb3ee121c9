// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Edits the global limits in KB/s; the model converts by 1024 and skips an entry that is not
// a whole number or would overflow.
Page {
    id: root
    objectName: "speedLimitSheet"

    required property StatisticsViewModel viewModel
    property alias downloadLimit: downloadField.text
    property alias uploadLimit: uploadField.text
    property alias altDownloadLimit: altDownloadField.text
    property alias altUploadLimit: altUploadField.text
    // The server applies the normal limits below only while the alternative ones are off.
    readonly property bool alternativeInForce: viewModel.alternativeSpeed === true

    signal closeRequested()

    Component.onCompleted: {
        if (viewModel.transferInfo.loaded) {
            downloadLimit = viewModel.downloadLimitFieldText()
            uploadLimit = viewModel.uploadLimitFieldText()
        }
        altDownloadLimit = viewModel.altDownloadLimitText
        altUploadLimit = viewModel.altUploadLimitText
    }

    // Enter in the sheet.
    function submit(): bool {
        save()
        return true
    }

    function save() {
        viewModel.applyDownloadLimitText(downloadLimit)
        viewModel.applyUploadLimitText(uploadLimit)
        if (altLimits.visible)
            viewModel.applyAlternativeLimitTexts(altDownloadLimit, altUploadLimit)
        closeRequested()
    }

    header: NavBar {
        title: qsTr("速度限制")
        leading: [
            BarButton {
                objectName: "cancelButton"
                text: qsTr("取消")
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "saveButton"
                text: qsTr("保存")
                onClicked: root.save()
            }
        ]
    }

    ColumnLayout {
        x: 16
        y: 20
        width: parent.width - 32
        spacing: 20

        Label {
            objectName: "activeSetLabel"
            Layout.fillWidth: true
            visible: root.viewModel.alternativeSpeed !== undefined
            wrapMode: Text.Wrap
            color: root.alternativeInForce ? Theme.orange : root.Material.secondaryTextColor
            // The server's limit requests change the set in force, so the first two fields
            // edit that one.
            text: root.alternativeInForce ? qsTr("备用速度限制已开启：以下修改的是备用限速。")
                                          : qsTr("备用速度限制已关闭：以下修改的是常规限速。")
        }
        FormSection {
            Layout.fillWidth: true
            title: root.alternativeInForce ? qsTr("备用下载限速") : qsTr("下载限速")
            TextField {
                id: downloadField
                objectName: "downloadLimitField"
                Layout.fillWidth: true
                placeholderText: qsTr("下载限速 (KB/s, 0=无限制)")
                inputMethodHints: Qt.ImhDigitsOnly
                selectByMouse: true
            }
        }
        FormSection {
            Layout.fillWidth: true
            title: root.alternativeInForce ? qsTr("备用上传限速") : qsTr("上传限速")
            footer: qsTr("输入 0 表示无限制")
            TextField {
                id: uploadField
                objectName: "uploadLimitField"
                Layout.fillWidth: true
                placeholderText: qsTr("上传限速 (KB/s, 0=无限制)")
                inputMethodHints: Qt.ImhDigitsOnly
                selectByMouse: true
            }
        }
        FormSection {
            id: altLimits
            objectName: "altLimitsSection"
            Layout.fillWidth: true
            // Only once the server's preferences were read: a guess would overwrite them.
            // While the alternative limits are in force the fields above edit them already.
            visible: !root.alternativeInForce && root.viewModel.altDownloadLimitText !== ""
                     && root.viewModel.altUploadLimitText !== ""
            title: qsTr("备用速度限制")
            footer: qsTr("开启备用速度限制时使用，输入 0 表示无限制")
            TextField {
                id: altDownloadField
                objectName: "altDownloadLimitField"
                Layout.fillWidth: true
                placeholderText: qsTr("备用下载限速 (KB/s, 0=无限制)")
                inputMethodHints: Qt.ImhDigitsOnly
                selectByMouse: true
            }
            TextField {
                id: altUploadField
                objectName: "altUploadLimitField"
                Layout.fillWidth: true
                placeholderText: qsTr("备用上传限速 (KB/s, 0=无限制)")
                inputMethodHints: Qt.ImhDigitsOnly
                selectByMouse: true
            }
        }
    }
}
