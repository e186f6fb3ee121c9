// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// One edit of one or many torrents: category, tags, save location, name or limits. An entry
// the model does not accept keeps the sheet open with a hint; an accepted one closes it, and
// the server's answer reaches the screen behind as its error alert.
Page {
    id: root
    objectName: "torrentEditForm"

    required property TorrentListViewModel listModel
    // "category", "tags", "location", "rename" or "limits".
    required property string kind
    required property list<string> hashes
    // editState() of a single torrent; empty for many.
    required property var torrentState
    readonly property bool single: hashes.length === 1
    property string hint

    signal closeRequested()
    signal applied()

    readonly property var titles: ({
        category: qsTr("设置分类"),
        tags: root.single ? qsTr("编辑标签") : qsTr("添加标签"),
        location: qsTr("更改保存位置"),
        rename: qsTr("重命名"),
        limits: qsTr("种子限速")
    })

    // "" (无分类) first, then the server's categories.
    function categoryChoices(): var {
        const choices = [""]
        for (const name of listModel.categoryNames)
            choices.push(name)
        return choices
    }

    function tagsOf(text) {
        return text.split(/[,，]/).map(t => t.trim()).filter(t => t !== "")
    }

    function save() {
        let accepted = true
        if (kind === "tags") {
            const added = tagsOf(newTagsField.text)
            const removed = []
            for (let i = 0; i < tagRepeater.count; ++i) {
                const box = tagRepeater.itemAt(i)
                if (box.checked && !box.initiallyChecked && !added.includes(box.text))
                    added.push(box.text)
                else if (!box.checked && box.initiallyChecked)
                    removed.push(box.text)
            }
            if (added.length > 0)
                accepted = listModel.addTags(hashes, added)
            if (accepted && removed.length > 0)
                accepted = listModel.removeTags(hashes, removed)
            hint = accepted ? "" : qsTr("标签不能为空，也不能包含逗号")
        } else if (kind === "location") {
            accepted = listModel.setLocation(hashes, locationField.text)
            hint = accepted ? "" : qsTr("请输入保存位置")
        } else if (kind === "rename") {
            accepted = listModel.rename(hashes[0], nameField.text)
            hint = accepted ? "" : qsTr("名称不能为空")
        } else if (kind === "limits") {
            // A field left as it was is not sent: its text may round the server's value.
            accepted = listModel.setTorrentLimits(hashes, downloadField.text === downloadField.initialText ? "" : downloadField.text,
                                                  uploadField.text === uploadField.initialText ? "" : uploadField.text)
            hint = accepted ? "" : qsTr("请输入整数 (KB/s)，0 表示无限制")
        }
        if (accepted)
            done()
    }

    // Enter in the sheet; a category is chosen by tapping it.
    function submit(): bool {
        if (kind === "category")
            return false
        save()
        return true
    }

    function done() {
        applied()
        closeRequested()
    }

    header: NavBar {
        title: root.titles[root.kind] ?? ""
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
                // A category is chosen by tapping it.
                visible: root.kind !== "category"
                text: qsTr("完成")
                onClicked: root.save()
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
            y: 20
            width: parent.width - 32
            spacing: 20

            SecondaryLabel {
                objectName: "selectionCount"
                visible: !root.single
                text: qsTr("已选择 %1 个种子").arg(root.hashes.length)
            }

            // ----- category -----
            FormSection {
                visible: root.kind === "category"
                Layout.fillWidth: true
                title: qsTr("分类")
                Repeater {
                    model: root.kind === "category" ? root.categoryChoices() : []
                    delegate: ItemDelegate {
                        id: categoryRow
                        required property string modelData
                        objectName: "category_" + (modelData === "" ? "none" : modelData)
                        Layout.fillWidth: true
                        text: modelData === "" ? qsTr("无分类") : modelData
                        contentItem: RowLayout {
                            Label {
                                Layout.fillWidth: true
                                text: categoryRow.text
                                elide: Text.ElideRight
                            }
                            Icon {
                                visible: root.single && root.torrentState.category === categoryRow.modelData
                                name: "checkmark"
                                color: Theme.blue
                            }
                        }
                        onClicked: {
                            root.listModel.setCategory(root.hashes, modelData)
                            root.done()
                        }
                    }
                }
            }
            FormSection {
                visible: root.kind === "category"
                Layout.fillWidth: true
                title: qsTr("新建分类")
                RowLayout {
                    Layout.fillWidth: true
                    TextField {
                        id: newCategoryField
                        objectName: "newCategoryField"
                        Layout.fillWidth: true
                        placeholderText: qsTr("分类名称")
                        selectByMouse: true
                    }
                    Button {
                        objectName: "createCategoryButton"
                        text: qsTr("新建并设置")
                        flat: true
                        Material.foreground: Theme.blue
                        onClicked: {
                            if (root.listModel.createCategory(root.hashes, newCategoryField.text))
                                root.done()
                            else
                                root.hint = qsTr("请输入分类名称")
                        }
                    }
                }
            }

            // ----- tags -----
            FormSection {
                visible: root.kind === "tags" && tagRepeater.count > 0
                Layout.fillWidth: true
                title: qsTr("标签")
                footer: root.single ? "" : qsTr("勾选的标签会添加到所有选中的种子")
                Repeater {
                    id: tagRepeater
                    model: root.kind === "tags" ? root.listModel.tags : []
                    delegate: CheckDelegate {
                        required property string modelData
                        readonly property bool initiallyChecked: root.single
                                                                && (root.torrentState.tags ?? []).includes(modelData)
                        objectName: "tag_" + modelData
                        Layout.fillWidth: true
                        text: modelData
                        checked: initiallyChecked
                    }
                }
            }
            FormSection {
                visible: root.kind === "tags"
                Layout.fillWidth: true
                title: qsTr("新标签")
                footer: qsTr("多个标签用逗号分隔")
                TextField {
                    id: newTagsField
                    objectName: "newTagsField"
                    Layout.fillWidth: true
                    placeholderText: qsTr("标签名称")
                    selectByMouse: true
                }
            }

            // ----- location -----
            FormSection {
                visible: root.kind === "location"
                Layout.fillWidth: true
                title: qsTr("保存位置")
                footer: qsTr("服务器会把已下载的文件移动到新位置")
                TextField {
                    id: locationField
                    objectName: "locationField"
                    Layout.fillWidth: true
                    text: root.torrentState.savePath ?? ""
                    placeholderText: "/downloads"
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                    selectByMouse: true
                }
            }
            FormSection {
                id: knownPaths
                readonly property list<string> paths: root.kind === "location" ? root.listModel.knownSavePaths() : []
                visible: root.kind === "location" && paths.length > 0
                Layout.fillWidth: true
                title: qsTr("已知位置")
                Repeater {
                    model: knownPaths.paths
                    delegate: ItemDelegate {
                        required property string modelData
                        Layout.fillWidth: true
                        text: modelData
                        onClicked: locationField.text = modelData
                    }
                }
            }

            // ----- name -----
            FormSection {
                visible: root.kind === "rename"
                Layout.fillWidth: true
                title: qsTr("名称")
                TextField {
                    id: nameField
                    objectName: "nameField"
                    Layout.fillWidth: true
                    text: root.torrentState.name ?? ""
                    selectByMouse: true
                }
            }

            // ----- limits -----
            FormSection {
                visible: root.kind === "limits"
                Layout.fillWidth: true
                title: qsTr("下载限速")
                TextField {
                    id: downloadField
                    readonly property string initialText: root.torrentState.downloadLimit ?? "0"
                    objectName: "torrentDownloadLimitField"
                    Layout.fillWidth: true
                    text: initialText
                    placeholderText: qsTr("下载限速 (KB/s, 0=无限制)")
                    inputMethodHints: Qt.ImhDigitsOnly
                    selectByMouse: true
                }
            }
            FormSection {
                visible: root.kind === "limits"
                Layout.fillWidth: true
                title: qsTr("上传限速")
                footer: qsTr("只限制这些种子，输入 0 表示无限制")
                TextField {
                    id: uploadField
                    readonly property string initialText: root.torrentState.uploadLimit ?? "0"
                    objectName: "torrentUploadLimitField"
                    Layout.fillWidth: true
                    text: initialText
                    placeholderText: qsTr("上传限速 (KB/s, 0=无限制)")
                    inputMethodHints: Qt.ImhDigitsOnly
                    selectByMouse: true
                }
            }

            Label {
                objectName: "editHint"
                Layout.fillWidth: true
                visible: root.hint !== ""
                text: root.hint
                color: Theme.red
                wrapMode: Text.Wrap
            }
        }
    }
}
