// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// The edits of torrents: a menu for one torrent (the detail screen, a row's context menu) and
// the sheet each text edit opens, also for the many torrents of a selection. The menu reads
// the torrent's state as the list holds it when it opens.
Item {
    id: root

    required property TorrentListViewModel listModel
    property list<string> hashes
    // editState() of the single torrent; empty for a selection.
    property var torrentState: ({})

    // An edit of the sheet was sent (not when it was cancelled).
    signal applied()

    // Under `anchor`, right-aligned, when given; else where the pointer is.
    // The torrents to edit, and the state of a single one as the list holds it now.
    function choose(hashes) {
        root.hashes = hashes
        torrentState = hashes.length === 1 ? listModel.editState(hashes[0]) : {}
    }

    function popup(hashes, anchor) {
        choose(hashes)
        const shown = menu.get()
        if (anchor)
            shown.popup(anchor, anchor.width - shown.width, anchor.height)
        else
            shown.popup()
    }

    // "category", "tags", "location", "rename" or "limits".
    function edit(kind, hashes) {
        choose(hashes)
        const shown = sheet.get()
        shown.kind = kind
        shown.open()
    }

    // Both made on their first use.
    LazyPopup {
        id: menu
        owner: root
        component: Menu {
            objectName: "torrentEditMenu"
            // Parented to the window's overlay, so it pops up wherever the owner sits.
            parent: Overlay.overlay

            SymbolMenuItem {
                objectName: "editCategory"
                text: qsTr("设置分类…")
                symbol: "folder"
                onTriggered: root.edit("category", root.hashes)
            }
            SymbolMenuItem {
                objectName: "editTags"
                text: qsTr("编辑标签…")
                symbol: "tag"
                onTriggered: root.edit("tags", root.hashes)
            }
            SymbolMenuItem {
                objectName: "editLocation"
                text: qsTr("更改保存位置…")
                symbol: "folder.badge.gearshape"
                onTriggered: root.edit("location", root.hashes)
            }
            SymbolMenuItem {
                objectName: "editName"
                text: qsTr("重命名…")
                symbol: "pencil"
                enabled: root.hashes.length === 1
                onTriggered: root.edit("rename", root.hashes)
            }
            SymbolMenuItem {
                objectName: "editLimits"
                text: qsTr("限速…")
                symbol: "speedometer"
                onTriggered: root.edit("limits", root.hashes)
            }
            MenuSeparator {}
            SymbolMenuItem {
                objectName: "toggleForceStart"
                text: qsTr("强制启动")
                symbol: "bolt.fill"
                checkable: true
                checked: root.torrentState.forceStart === true
                onTriggered: root.listModel.setForceStart(root.hashes, checked)
            }
            SymbolMenuItem {
                objectName: "toggleSequential"
                text: qsTr("按顺序下载")
                symbol: "list.number"
                checkable: true
                checked: root.torrentState.sequentialDownload === true
                onTriggered: root.listModel.toggleSequentialDownload(root.hashes)
            }
            SymbolMenuItem {
                objectName: "toggleFirstLast"
                text: qsTr("先下载首尾文件块")
                symbol: "flag"
                checkable: true
                checked: root.torrentState.firstLastPiecePriority === true
                onTriggered: root.listModel.toggleFirstLastPiecePriority(root.hashes)
            }
            MenuSeparator {
                visible: root.listModel.queueingEnabled
                height: visible ? implicitHeight : 0
            }
            Repeater {
                model: root.listModel.queueingEnabled
                       ? [["top", qsTr("移至队列顶部"), "arrow.up.to.line"], ["up", qsTr("在队列中上移"), "arrow.up"],
                          ["down", qsTr("在队列中下移"), "arrow.down"], ["bottom", qsTr("移至队列底部"), "arrow.down.to.line"]]
                       : []
                delegate: SymbolMenuItem {
                    required property var modelData
                    objectName: "queue_" + modelData[0]
                    text: modelData[1]
                    symbol: modelData[2]
                    onTriggered: root.listModel.moveInQueue(root.hashes, modelData[0])
                }
            }
        }
    }

    LazyPopup {
        id: sheet
        owner: root
        component: Sheet {
            id: editSheet
            objectName: "torrentEditSheet"
            property string kind
            page: Component {
                TorrentEditForm {
                    listModel: root.listModel
                    kind: editSheet.kind
                    hashes: root.hashes
                    torrentState: root.torrentState
                    onApplied: root.applied()
                }
            }
        }
    }
}
