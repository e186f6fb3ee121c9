// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import Seedwhirl

// Adds a torrent by link or from a local .torrent file, with optional save path, category and
// tags. The form over an AddTorrentViewModel, which holds the input and does the add.
Page {
    id: root
    objectName: "addTorrentView"

    // Owned by the sheet; a test may hand in its own.
    property AddTorrentViewModel viewModel: AddTorrentViewModel {}

    signal closeRequested()

    // Links one per line, or the file: URL of a .torrent file, to start with.
    property string initialLink

    function takeLink() {
        if (initialLink.startsWith("file:")) {
            root.viewModel.addMode = 1
            root.viewModel.selectedFileURL = initialLink
        } else if (initialLink !== "") {
            root.viewModel.addMode = 0
            root.viewModel.torrentURL = initialLink
        }
    }
    onInitialLinkChanged: takeLink()
    Component.onCompleted: {
        root.viewModel.appear()
        takeLink()
    }

    Connections {
        target: root.viewModel
        function onAdded() {
            root.closeRequested()
        }
    }

    // Enter in the sheet.
    function submit(): bool {
        if (!root.viewModel.isValid || root.viewModel.isAdding)
            return false
        root.viewModel.add()
        return true
    }

    // Every menu choice gives a light tap.
    function tap() {
        Haptics.impact("light")
    }

    header: NavBar {
        title: qsTr("添加种子")
        leading: [
            BarButton {
                objectName: "cancelButton"
                text: qsTr("取消")
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "addButton"
                visible: !root.viewModel.isAdding
                text: qsTr("添加")
                enabled: root.viewModel.isValid && !root.viewModel.isAdding
                onClicked: root.viewModel.add()
            },
            RowLayout {
                objectName: "addingIndicator"
                visible: root.viewModel.isAdding
                height: 48
                spacing: 6
                BusyIndicator {
                    running: root.viewModel.isAdding
                    implicitWidth: 24
                    implicitHeight: 24
                }
                SecondaryLabel {
                    text: qsTr("添加中...")
                    rightPadding: 8
                }
            }
        ]
    }

    Flickable {
        anchors.fill: parent
        contentHeight: column.implicitHeight + 40
        clip: true

        ColumnLayout {
            id: column
            x: 16
            y: 16
            width: parent.width - 32
            spacing: 20

            SegmentedPicker {
                objectName: "addModePicker"
                Layout.fillWidth: true
                title: qsTr("添加方式")
                titles: [qsTr("链接"), qsTr("文件")]
                currentIndex: root.viewModel.addMode
                onCurrentIndexChanged: root.viewModel.addMode = currentIndex
            }

            FormSection {
                Layout.fillWidth: true
                visible: root.viewModel.addMode === 0
                title: qsTr("种子链接")
                footer: qsTr("支持 magnet:// 或 http:// 链接")
                TextField {
                    objectName: "urlField"
                    text: root.viewModel.torrentURL
                    onTextChanged: root.viewModel.torrentURL = text
                    Layout.fillWidth: true
                    placeholderText: qsTr("磁力链接或种子 URL")
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhUrlCharactersOnly
                    selectByMouse: true
                }
            }

            FormSection {
                Layout.fillWidth: true
                visible: root.viewModel.addMode === 1
                title: qsTr("种子文件")
                footer: qsTr("选择本地 .torrent 文件")
                ItemDelegate {
                    objectName: "chooseFileButton"
                    Layout.fillWidth: true
                    onClicked: filePicker.open()
                    contentItem: RowLayout {
                        spacing: 10
                        Icon {
                            name: root.viewModel.hasFile ? "checkmark.circle.fill" : "doc.badge.plus"
                            color: root.viewModel.hasFile ? Theme.green : Theme.blue
                        }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            Label {
                                objectName: "fileLabel"
                                Layout.fillWidth: true
                                text: root.viewModel.hasFile ? root.viewModel.selectedFileName : qsTr("选择种子文件")
                                color: root.viewModel.hasFile ? root.Material.foreground : Theme.blue
                                elide: Text.ElideMiddle
                            }
                            SecondaryLabel {
                                visible: root.viewModel.hasFile
                                text: qsTr("点击重新选择")
                                font.pixelSize: 12
                            }
                        }
                    }
                }
            }

            FormSection {
                Layout.fillWidth: true
                title: qsTr("可选设置")
                footer: qsTr("多个标签用逗号分隔")
                RowLayout {
                    Layout.fillWidth: true
                    Label {
                        Layout.preferredWidth: 72
                        text: qsTr("分类")
                    }
                    TextField {
                        objectName: "categoryField"
                        text: root.viewModel.category
                        onTextChanged: root.viewModel.category = text
                        Layout.fillWidth: true
                        placeholderText: qsTr("点击输入")
                        selectByMouse: true
                    }
                    BarButton {
                        id: categoryMenuButton
                        objectName: "categoryMenuButton"
                        symbol: "chevron.up.chevron.down"
                        Accessible.name: qsTr("选择分类")
                        onClicked: categoryMenu.open()
                        Menu {
                            id: categoryMenu
                            objectName: "categoryMenu"
                            y: categoryMenuButton.height
                            MenuItem {
                                text: qsTr("默认")
                                onTriggered: {
                                    root.viewModel.chooseCategory(-1)
                                    root.tap()
                                }
                            }
                            Repeater {
                                model: root.viewModel.categoryNames
                                delegate: MenuItem {
                                    required property string modelData
                                    required property int index
                                    text: modelData
                                    onTriggered: {
                                        root.viewModel.chooseCategory(index)
                                        root.tap()
                                    }
                                }
                            }
                        }
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Label {
                        Layout.preferredWidth: 72
                        text: qsTr("保存路径")
                    }
                    TextField {
                        objectName: "savePathField"
                        text: root.viewModel.savePath
                        onTextChanged: root.viewModel.savePath = text
                        Layout.fillWidth: true
                        placeholderText: qsTr("点击输入")
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        selectByMouse: true
                    }
                    BarButton {
                        id: pathMenuButton
                        objectName: "savePathMenuButton"
                        symbol: "chevron.up.chevron.down"
                        Accessible.name: qsTr("选择保存路径")
                        onClicked: pathMenu.open()
                        Menu {
                            id: pathMenu
                            objectName: "savePathMenu"
                            y: pathMenuButton.height
                            MenuItem {
                                text: qsTr("默认")
                                onTriggered: {
                                    root.viewModel.chooseSavePath(-1)
                                    root.tap()
                                }
                            }
                            Repeater {
                                model: root.viewModel.savePathChoices
                                delegate: MenuItem {
                                    required property string modelData
                                    required property int index
                                    text: modelData
                                    onTriggered: {
                                        root.viewModel.chooseSavePath(index)
                                        root.tap()
                                    }
                                }
                            }
                        }
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Label {
                        Layout.preferredWidth: 72
                        text: qsTr("标签")
                    }
                    TextField {
                        objectName: "tagsField"
                        text: root.viewModel.tags
                        onTextChanged: root.viewModel.tags = text
                        Layout.fillWidth: true
                        selectByMouse: true
                    }
                }
            }
        }
    }

    // The desktop's own dialog where the platform theme offers one, Qt's QML dialog otherwise.
    // It is opened rather than bound to a flag, so that closing it in any way (a choice, Escape,
    // a click outside) leaves nothing to reset.
    FileDialog {
        id: filePicker
        objectName: "filePicker"
        title: qsTr("选择种子文件")
        nameFilters: [qsTr("种子文件 (*.torrent)"), qsTr("所有文件 (*)")]
        fileMode: FileDialog.OpenFile
        onAccepted: root.viewModel.selectedFileURL = selectedFile
    }

    AlertDialog {
        objectName: "errorAlert"
        title: qsTr("错误")
        shown: root.viewModel.showError
        message: root.viewModel.errorMessage
        onAcknowledged: root.viewModel.showError = false
    }
}
