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

    signal closeRequested()

    Component.onCompleted: {
        if (viewModel.transferInfo.loaded) {
            downloadLimit = viewModel.downloadLimitFieldText()
            uploadLimit = viewModel.uploadLimitFieldText()
        }
    }

    function save() {
        viewModel.applyDownloadLimitText(downloadLimit)
        viewModel.applyUploadLimitText(uploadLimit)
        closeRequested()
    }

    header: NavBar {
        title: "速度限制"
        leading: [
            BarButton {
                objectName: "cancelButton"
                text: "取消"
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "saveButton"
                text: "保存"
                onClicked: root.save()
            }
        ]
    }

    ColumnLayout {
        x: 16
        y: 20
        width: parent.width - 32
        spacing: 20

        FormSection {
            Layout.fillWidth: true
            title: "下载限速"
            TextField {
                id: downloadField
                objectName: "downloadLimitField"
                Layout.fillWidth: true
                placeholderText: "下载限速 (KB/s, 0=无限制)"
                inputMethodHints: Qt.ImhDigitsOnly
                selectByMouse: true
            }
        }
        FormSection {
            Layout.fillWidth: true
            title: "上传限速"
            footer: "输入 0 表示无限制"
            TextField {
                id: uploadField
                objectName: "uploadLimitField"
                Layout.fillWidth: true
                placeholderText: "上传限速 (KB/s, 0=无限制)"
                inputMethodHints: Qt.ImhDigitsOnly
                selectByMouse: true
            }
        }
    }
}
