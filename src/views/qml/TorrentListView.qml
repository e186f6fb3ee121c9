// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQml.Models
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The torrent tab: the shown list with its speed header, row actions, filter and add sheets,
// and the error alert. Its model's repository polls only while the screen is shown and the
// application is active.
Page {
    id: root
    objectName: "torrentListView"

    required property TorrentListViewModel viewModel
    property bool showingAddTorrent: false
    // What the add sheet opens with: links one per line, or a file: URL (handed to the
    // application by another one); empty when opened from the button.
    property string addSheetLink
    property bool showingFilterSheet: false
    readonly property bool isShown: visible && StackView.status === StackView.Active
    // The torrents the delete-with-data confirmation is about (one is named); empty while none is.
    property list<string> pendingDeleteHashes
    property string pendingDeleteName
    // Wide: rows in columns under a header that sorts, the tapped torrent's detail beside the
    // list. The torrent shown there stays chosen across a change of width: narrowed, its detail
    // is pushed; widened again, it moves back beside the list.
    readonly property bool wide: width >= Theme.splitWidth
    // The detail pane beside the list: as wide as it was dragged (remembered), leaving the
    // list at least 560 px and the pane at least 320.
    property real draggedPaneWidth: -1 // while a drag is under way
    readonly property real paneWidth: Math.max(320, Math.min(width - 561,
        draggedPaneWidth >= 0 ? draggedPaneWidth : AppSettings.detailPaneWidth > 0 ? AppSettings.detailPaneWidth : 460))
    property string currentHash
    // The torrent whose row menu is open: its row alone is highlighted until the menu closes.
    property string menuHash
    // Later, not inside the resize: the stack resizes its pages while the width changes, and a
    // push or pop then would pull a page from under it.
    onWideChanged: widthFollower.restart()
    Timer {
        id: widthFollower
        interval: 0
        onTriggered: root.followWidth()
    }
    // The selection mode: a tap on a row toggles it, and the bar at the bottom acts on the
    // selected torrents.
    property bool selecting: false
    onSelectingChanged: if (selecting) bulkBar.active = true
    readonly property TorrentListModel torrents: viewModel.filteredTorrents

    // The application may start, or log in, while it is not the active one.
    Component.onCompleted: viewModel.setApplicationActive(Application.state === Qt.ApplicationActive)

    // Loads on every show and keeps the list current while shown.
    Binding {
        target: root.viewModel
        property: "active"
        value: root.isShown
    }

    // The alert's caption line for errors that carry advice.
    function suggestionLine(suggestion) {
        return suggestion ? "\n" + qsTr("建议：%1").arg(suggestion) : ""
    }

    function openDetail(row) {
        const torrent = torrents.torrentAt(row)
        if (torrent === undefined)
            return
        currentHash = torrents.hashAt(row)
        if (wide)
            detailPane.show(torrent)
        else
            StackView.view.push(detailPage, { torrent: torrent })
    }

    function followWidth() {
        const stack = StackView.view
        if (wide) {
            const top = stack?.currentItem as TorrentDetailView
            if (stack && stack.depth > 1 && top)
                stack.pop(null, StackView.Immediate)
            const row = torrents.indexOf(currentHash)
            if (row >= 0)
                detailPane.show(torrents.torrentAt(row))
        } else {
            detailPane.hide()
            const row = torrents.indexOf(currentHash)
            if (stack && row >= 0 && stack.depth === 1)
                stack.push(detailPage, { torrent: torrents.torrentAt(row) }, StackView.Immediate)
        }
    }

    // Back from a pushed detail, nothing is chosen any more.
    StackView.onActivated: if (!wide) currentHash = ""

    // An open sheet takes a new link into its form.
    function openLink(link: string) {
        addSheetLink = link
        showingAddTorrent = true
    }

    function askDeleteWithFiles(hashes, name) {
        pendingDeleteHashes = hashes
        pendingDeleteName = name
        deleteConfirmation.get().open()
    }

    // A key on the list's current row (the arrows are the list's own): Home, End and the page
    // keys move it, Enter opens it, Space toggles it in the selection mode, Ctrl+A selects every
    // shown row and Delete asks about deleting the selection, or else this row, with its files.
    function rowKey(event, row: int, hash: string, name: string): bool {
        const last = torrents.count - 1
        const page = Math.max(1, Math.floor(list.height / Math.max(1, list.currentItem?.height ?? 1)))
        const moveTo = target => {
            list.currentIndex = Math.max(0, Math.min(last, target))
            list.positionViewAtIndex(list.currentIndex, ListView.Contain)
            return true
        }
        if (event.key === Qt.Key_A && (event.modifiers & Qt.ControlModifier)) {
            if (!selecting)
                setSelecting(true)
            torrents.selectAll()
            return true
        }
        switch (event.key) {
        case Qt.Key_Home:
            return moveTo(0)
        case Qt.Key_End:
            return moveTo(last)
        case Qt.Key_PageUp:
            return moveTo(row - page)
        case Qt.Key_PageDown:
            return moveTo(row + page)
        case Qt.Key_Return:
        case Qt.Key_Enter:
            if (selecting)
                torrents.toggleSelected(row)
            else
                openDetail(row)
            return true
        case Qt.Key_Space:
            // Outside the selection mode Space presses the row, as a tap would.
            if (!selecting)
                return false
            torrents.toggleSelected(row)
            return true
        case Qt.Key_Delete:
            if (!selecting)
                askDeleteWithFiles([hash], name)
            else if (torrents.selectedCount > 0)
                askDeleteWithFiles(torrents.selectedHashes(), "")
            return true
        }
        return false
    }

    function setSelecting(on) {
        torrents.clearSelection()
        selecting = on
    }

    // A bulk action on the selected torrents; the selection mode ends with it.
    function actOnSelection(action) {
        const hashes = torrents.selectedHashes()
        if (hashes.length === 0)
            return
        action(hashes)
        setSelecting(false)
    }

    Connections {
        target: Application
        function onStateChanged() {
            root.viewModel.handleApplicationState(Application.state)
        }
    }

    Component {
        id: detailPage
        TorrentDetailView {
            id: detail
            listModel: root.viewModel
            viewModel: TorrentDetailViewModel {
                torrent: detail.torrent
            }
        }
    }

    // The bar of the selection mode, made when the mode is first entered.
    footer: Loader {
        id: bulkBar
        active: false
        visible: root.selecting
        height: visible ? implicitHeight : 0
        sourceComponent: ToolBar {
            id: bar
            objectName: "bulkBar"
            Material.background: root.Material.backgroundColor

            // Each action: object name, text, symbol, tint and what a tap does. The two edits keep
            // the selection until their sheet applies a change; 删除 asks which kind first.
            readonly property var actions: [
                ["bulkPause", qsTr("暂停"), "pause.fill", Theme.blue, () => root.actOnSelection(hashes => root.viewModel.pauseAll(hashes))],
                ["bulkResume", qsTr("开始"), "play.fill", Theme.blue, () => root.actOnSelection(hashes => root.viewModel.resumeAll(hashes))],
                ["bulkForceStart", qsTr("强制启动"), "bolt.fill", Theme.blue, () => root.actOnSelection(hashes => root.viewModel.forceStartAll(hashes))],
                ["bulkRecheck", qsTr("校验"), "checkmark.circle", Theme.blue, () => root.actOnSelection(hashes => root.viewModel.recheckAll(hashes))],
                ["bulkReannounce", qsTr("汇报"), "antenna.radiowaves.left.and.right", Theme.blue, () => root.actOnSelection(hashes => root.viewModel.reannounceAll(hashes))],
                ["bulkCategory", qsTr("分类"), "folder", Theme.blue, () => editor.edit("category", root.torrents.selectedHashes())],
                ["bulkTags", qsTr("标签"), "tag", Theme.blue, () => editor.edit("tags", root.torrents.selectedHashes())],
                ["bulkDelete", qsTr("删除"), "trash", Theme.red, () => bulkDeleteMenu.popup()]
            ]
            // On a narrow screen the leading buttons that fit stay on the bar and the rest move
            // into "更多"; the wide bar has room for all of them.
            readonly property int shownCount: {
                const widths = []
                for (let i = 0; i < bulkButtons.count; ++i)
                    widths.push(bulkButtons.itemAt(i)?.implicitWidth ?? 0)
                const room = bulkFlick.width
                if (root.wide || widths.reduce((sum, w) => sum + w, 0) <= room)
                    return actions.length
                let used = moreButton.implicitWidth
                let n = 0
                while (n < widths.length && used + widths[n] <= room)
                    used += widths[n++]
                return n
            }

            Flickable {
                id: bulkFlick
                anchors.fill: parent
                contentWidth: bulkRow.implicitWidth
                flickableDirection: Flickable.HorizontalFlick
                boundsBehavior: Flickable.StopAtBounds
                RowLayout {
                    id: bulkRow
                    height: parent.height
                    spacing: 0
                    enabled: root.torrents.selectedCount > 0
                    Repeater {
                        id: bulkButtons
                        model: bar.actions
                        delegate: BarButton {
                            required property var modelData
                            required property int index
                            visible: index < bar.shownCount
                            objectName: modelData[0]
                            text: modelData[1]
                            symbol: modelData[2]
                            tint: modelData[3]
                            onClicked: modelData[4]()
                        }
                    }
                    BarButton {
                        id: moreButton
                        objectName: "bulkMore"
                        visible: bar.shownCount < bar.actions.length
                        text: qsTr("更多")
                        symbol: "ellipsis"
                        onClicked: bulkMoreMenu.open()
                        Menu {
                            id: bulkMoreMenu
                            objectName: "bulkMoreMenu"
                            y: -height
                            Instantiator {
                                model: bar.actions.slice(bar.shownCount)
                                delegate: SymbolMenuItem {
                                    required property var modelData
                                    objectName: modelData[0] + "Item"
                                    text: modelData[1]
                                    symbol: modelData[2]
                                    destructive: Qt.colorEqual(modelData[3], Theme.red)
                                    onTriggered: modelData[4]()
                                }
                                onObjectAdded: (index, object) => bulkMoreMenu.insertItem(index, object)
                                onObjectRemoved: (index, object) => bulkMoreMenu.removeItem(object)
                            }
                        }
                    }
                }
            }
            Menu {
                id: bulkDeleteMenu
                objectName: "bulkDeleteMenu"
                SymbolMenuItem {
                    objectName: "bulkDeleteTorrents"
                    text: qsTr("删除种子")
                    symbol: "trash"
                    destructive: true
                    onTriggered: root.actOnSelection(hashes => root.viewModel.removeAll(hashes, false))
                }
                SymbolMenuItem {
                    objectName: "bulkDeleteWithFiles"
                    text: qsTr("删除种子和文件")
                    symbol: "trash.fill"
                    destructive: true
                    onTriggered: root.askDeleteWithFiles(root.torrents.selectedHashes(), "")
                }
            }
        }
    }

    TorrentEditor {
        id: editor
        objectName: "torrentEditor"
        listModel: root.viewModel
        onApplied: if (root.selecting) root.setSelecting(false)
    }

    // In the selection mode the bar counts the selection and offers 全选 and 完成 instead.
    header: NavBar {
        title: !root.selecting ? qsTr("种子")
               : root.torrents.selectedCount > 0 ? qsTr("已选择 %1 个种子").arg(root.torrents.selectedCount) : qsTr("选择种子")
        leading: [
            BarButton {
                objectName: "filterButton"
                visible: !root.selecting
                text: qsTr("筛选")
                symbol: "line.3.horizontal.decrease.circle"
                onClicked: root.showingFilterSheet = true
            },
            BarButton {
                objectName: "selectAllButton"
                visible: root.selecting
                text: qsTr("全选")
                onClicked: root.torrents.selectAll()
            }
        ]
        trailing: [
            BarButton {
                objectName: "selectButton"
                visible: !root.selecting
                text: qsTr("选择")
                enabled: root.torrents.count > 0
                onClicked: root.setSelecting(true)
            },
            BarButton {
                objectName: "endSelectionButton"
                visible: root.selecting
                text: qsTr("完成")
                onClicked: root.setSelecting(false)
            },
            BarButton {
                objectName: "altSpeedButton"
                // Only when the server tells its mode.
                visible: !root.selecting && root.viewModel.alternativeSpeed !== undefined
                symbol: "tortoise"
                tint: root.viewModel.alternativeSpeed === true ? Theme.orange : Material.hintTextColor
                checkable: true
                checked: root.viewModel.alternativeSpeed === true
                Accessible.name: qsTr("备用速度限制")
                Accessible.checkable: true
                Accessible.checked: checked
                ToolTip.visible: hovered
                ToolTip.text: checked ? qsTr("备用速度限制：已开启") : qsTr("备用速度限制：已关闭")
                onToggled: {
                    root.viewModel.setAlternativeSpeed(checked)
                    checked = Qt.binding(() => root.viewModel.alternativeSpeed === true)
                }
            },
            BarButton {
                objectName: "addTorrentButton"
                visible: !root.selecting
                symbol: "plus.circle.fill"
                Accessible.name: qsTr("添加种子")
                onClicked: root.openLink("")
            }
        ]
    }


    RowLayout {
        anchors.fill: parent
        spacing: 0

        ColumnLayout {
            Layout.fillHeight: true
            Layout.fillWidth: !root.wide
            Layout.preferredWidth: root.wide ? root.width - root.paneWidth - 1 : root.width
            spacing: 0

            // While the last pass failed: why, when it retries, how old the figures are.
            Pane {
                objectName: "offlineBar"
                visible: root.viewModel.offline
                Layout.fillWidth: true
                Layout.margins: 12
                Layout.bottomMargin: 0
                padding: 8
                leftPadding: 14
                background: Rectangle {
                    radius: 12
                    color: Qt.rgba(Theme.orange.r, Theme.orange.g, Theme.orange.b, 0.15)
                }
                contentItem: RowLayout {
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            Layout.fillWidth: true
                            text: root.viewModel.offlineText
                            wrapMode: Text.Wrap
                        }
                        SecondaryLabel {
                            objectName: "staleText"
                            Layout.fillWidth: true
                            visible: text !== ""
                            text: root.viewModel.staleText
                        }
                    }
                    Button {
                        objectName: "offlineRetry"
                        text: qsTr("重试")
                        flat: true
                        enabled: !root.viewModel.isLoading
                        onClicked: root.viewModel.retryNow()
                    }
                }
            }

            RowLayout {
                Layout.fillWidth: true
                Layout.margins: 12
                spacing: 12
                SpeedCard {
                    objectName: "uploadCard"
                    Layout.fillWidth: true
                    title: qsTr("上传")
                    speed: root.viewModel.totalUploadSpeed
                    stale: root.viewModel.offline
                    color: Theme.blue
                    icon: "arrow.up.circle.fill"
                }
                SpeedCard {
                    objectName: "downloadCard"
                    Layout.fillWidth: true
                    title: qsTr("下载")
                    speed: root.viewModel.totalDownloadSpeed
                    stale: root.viewModel.offline
                    color: Theme.cyan
                    icon: "arrow.down.circle.fill"
                }
            }

            // The column titles of the wide rows; a tap sorts by that column, a second one reverses
            // the order. The arrow points the way the values run: names from A, figures from the
            // highest, until reversed.
            RowLayout {
                objectName: "columnHeader"
                visible: root.wide
                Layout.fillWidth: true
                Layout.leftMargin: 16 + 24 + 12
                Layout.rightMargin: 16
                spacing: 8
                Repeater {
                    model: [["name", qsTr("名称"), 0], ["size", qsTr("大小"), Theme.sizeColumn], ["progress", qsTr("进度"), Theme.progressColumn],
                            ["dlspeed", qsTr("下载"), Theme.speedColumn], ["upspeed", qsTr("上传"), Theme.speedColumn],
                            ["ratio", qsTr("分享率"), Theme.ratioColumn], ["", qsTr("状态"), Theme.stateColumn]]
                    delegate: Label {
                        id: headerCell
                        required property var modelData
                        readonly property bool sorted: root.viewModel.sortOption === modelData[0]
                        readonly property bool ascending: (modelData[0] === "name") !== root.viewModel.sortReversed
                        signal clicked()
                        objectName: "column_" + (modelData[0] || "state")
                        Layout.fillWidth: modelData[2] === 0
                        // The name column's preferred width is its own: an explicit 0 kept the
                        // whole header at its implicit width, which left the name none.
                        Layout.preferredWidth: modelData[2] || -1
                        Layout.maximumWidth: modelData[2] || 100000
                        Layout.topMargin: 4
                        Layout.bottomMargin: 4
                        text: modelData[1] + (!sorted ? "" : ascending ? " ▴" : " ▾")
                        font.pixelSize: 12
                        font.bold: sorted
                        color: sorted ? Theme.blue : root.Material.secondaryTextColor
                        horizontalAlignment: modelData[2] === 0 ? Text.AlignLeft : Text.AlignRight
                        Accessible.role: Accessible.ColumnHeader
                        TapHandler {
                            // The state column does not sort.
                            enabled: headerCell.modelData[0] !== ""
                            onTapped: headerCell.clicked()
                        }
                        onClicked: {
                            if (sorted)
                                root.viewModel.sortReversed = !root.viewModel.sortReversed
                            else
                                root.viewModel.sortOption = modelData[0]
                        }
                    }
                }
            }

            Item {
                Layout.fillWidth: true
                Layout.fillHeight: true

                // Nothing moves here unless a figure does: an animation would be drawn sixty
                // times a second on the cores that decode the answer.
                ColumnLayout {
                    objectName: "loadingState"
                    anchors.centerIn: parent
                    width: Math.min(parent.width - 48, 320)
                    visible: root.viewModel.firstLoad && root.torrents.count === 0
                    spacing: 8
                    // Two plain rectangles: the style's bar brings a node and shader of its
                    // own, made on the first frame that shows it.
                    Rectangle {
                        objectName: "loadProgressBar"
                        Layout.fillWidth: true
                        implicitHeight: 4
                        radius: 2
                        visible: root.viewModel.loadProgressFraction >= 0
                        color: Qt.rgba(Theme.blue.r, Theme.blue.g, Theme.blue.b, 0.25)
                        Rectangle {
                            width: parent.width * Math.max(0, root.viewModel.loadProgressFraction)
                            height: parent.height
                            radius: 2
                            color: Theme.blue
                        }
                    }
                    SecondaryLabel {
                        objectName: "loadProgressText"
                        Layout.alignment: Qt.AlignHCenter
                        text: root.viewModel.loadProgressText || qsTr("加载中...")
                    }
                }

                ListView {
                    id: list
                    objectName: "torrentList"
                    anchors.fill: parent
                    clip: true
                    model: root.torrents
                    // The empty state lives in the list so that pulling it down still refreshes.
                    interactive: true
                    boundsBehavior: Flickable.DragAndOvershootBounds
                    // Tab reaches the list as one stop; its current row has the keyboard.
                    activeFocusOnTab: true
                    keyNavigationEnabled: true
                    delegate: TorrentRowView {
                        id: torrentRow
                        width: ListView.view.width
                        // A tap gives no focus, so a touch screen never shows the ring.
                        focusPolicy: Qt.NoFocus
                        focusRing: ListView.isCurrentItem && list.activeFocus
                        Keys.onPressed: event => event.accepted = root.rowKey(event, index, hash, name)
                        opacity: root.viewModel.offline ? 0.5 : 1 // figures of the last answer
                        columns: root.wide
                        current: root.menuHash !== "" ? hash === root.menuHash : root.wide && hash === root.currentHash
                        selecting: root.selecting
                        onOpenRequested: root.selecting ? root.torrents.toggleSelected(index) : root.openDetail(index)
                        onDeleteRequested: root.viewModel.remove(hash, false)
                        onPauseRequested: root.viewModel.pause(hash)
                        onResumeRequested: root.viewModel.resume(hash)
                        onContextMenuRequested: at => {
                            if (root.selecting)
                                return
                            const menu = contextMenu.get()
                            menu.hash = hash
                            menu.torrentName = name
                            menu.isPaused = isPaused
                            root.menuHash = hash
                            const place = torrentRow.mapToItem(root, at.x, at.y)
                            menu.popup(place.x, place.y)
                        }
                    }

                    ColumnLayout {
                        objectName: "emptyState"
                        anchors.centerIn: parent
                        width: parent.width - 48
                        visible: !root.viewModel.firstLoad && !root.viewModel.isLoading && root.torrents.count === 0
                        spacing: 8
                        Icon {
                            Layout.alignment: Qt.AlignHCenter
                            name: "tray"
                            size: 56
                            color: root.Material.hintTextColor
                        }
                        Label {
                            Layout.alignment: Qt.AlignHCenter
                            text: qsTr("暂无种子")
                            font.pixelSize: 18
                            font.bold: true
                        }
                        SecondaryLabel {
                            Layout.fillWidth: true
                            horizontalAlignment: Text.AlignHCenter
                            text: qsTr("点击右上角的 + 按钮添加种子")
                        }
                    }
                }

                PullToRefresh {
                    id: pull
                    objectName: "pullToRefresh"
                    flickable: list
                    onRefresh: root.viewModel.startLoadTorrents()
                }
            }
        }

        // The line between list and pane; dragged, it moves, and a double click puts it back.
        Rectangle {
            objectName: "paneDivider"
            visible: root.wide
            z: 1 // its grip reaches over the pane
            Layout.fillHeight: true
            Layout.preferredWidth: 1
            color: grip.pressed || grip.containsMouse ? Theme.blue : root.Material.dividerColor
            Accessible.role: Accessible.Separator
            MouseArea {
                id: grip
                objectName: "paneGrip"
                anchors.fill: parent
                anchors.leftMargin: -4
                anchors.rightMargin: -4
                hoverEnabled: true
                cursorShape: Qt.SplitHCursor
                property real startX
                property real startWidth
                onPressed: mouse => {
                    startX = mapToItem(null, mouse.x, 0).x // the window's: the page may move
                    startWidth = root.paneWidth
                }
                onPositionChanged: mouse => {
                    if (pressed)
                        root.draggedPaneWidth = startWidth - (mapToItem(null, mouse.x, 0).x - startX)
                }
                onReleased: {
                    if (root.draggedPaneWidth >= 0)
                        AppSettings.detailPaneWidth = root.paneWidth
                    root.draggedPaneWidth = -1
                }
                onCanceled: root.draggedPaneWidth = -1
                onDoubleClicked: AppSettings.detailPaneWidth = 0
            }
        }

        // The chosen torrent's detail, made anew for each torrent.
        Item {
            id: detailPane
            objectName: "detailPane"
            visible: root.wide
            Layout.fillWidth: true
            Layout.fillHeight: true
            property var torrent
            function show(torrent) {
                paneLoader.active = false
                detailPane.torrent = torrent
                paneLoader.active = true
            }
            function hide() {
                paneLoader.active = false
            }
            Loader {
                id: paneLoader
                anchors.fill: parent
                active: false
                sourceComponent: TorrentDetailView {
                    id: besideDetail
                    torrent: detailPane.torrent
                    listModel: root.viewModel
                    viewModel: TorrentDetailViewModel {
                        torrent: besideDetail.torrent
                    }
                }
            }
            Placeholder {
                objectName: "detailPlaceholder"
                visible: !paneLoader.active
                symbol: "info.circle"
                title: qsTr("选择一个种子")
                hint: qsTr("点击左侧的种子查看详情")
            }
        }
    }

    // The menu of a row, made on its first use.
    LazyPopup {
        id: contextMenu
        owner: root
        component: Menu {
            id: menu
            objectName: "torrentContextMenu"

            property string hash
            property string torrentName
            property bool isPaused: false
            onClosed: root.menuHash = ""

            SymbolMenuItem {
                objectName: "menuPauseResume"
                text: menu.isPaused ? qsTr("开始") : qsTr("暂停")
                symbol: menu.isPaused ? "play.fill" : "pause.fill"
                onTriggered: menu.isPaused ? root.viewModel.resume(menu.hash) : root.viewModel.pause(menu.hash)
            }
            SymbolMenuItem {
                objectName: "menuForceStart"
                text: qsTr("强制启动")
                symbol: "bolt.fill"
                onTriggered: root.viewModel.forceStart(menu.hash)
            }
            SymbolMenuItem {
                objectName: "menuEdit"
                text: qsTr("编辑…")
                symbol: "pencil"
                onTriggered: editor.popup([menu.hash])
            }
            MenuSeparator {}
            SymbolMenuItem {
                objectName: "menuRecheck"
                text: qsTr("强制重新校验")
                symbol: "checkmark.circle"
                onTriggered: root.viewModel.recheck(menu.hash)
            }
            SymbolMenuItem {
                objectName: "menuReannounce"
                text: qsTr("强制重新汇报")
                symbol: "antenna.radiowaves.left.and.right"
                onTriggered: root.viewModel.reannounce(menu.hash)
            }
            MenuSeparator {}
            SymbolMenuItem {
                objectName: "menuDelete"
                text: qsTr("删除种子")
                symbol: "trash"
                destructive: true
                onTriggered: root.viewModel.remove(menu.hash, false)
            }
            SymbolMenuItem {
                objectName: "menuDeleteWithFiles"
                text: qsTr("删除种子和文件")
                symbol: "trash.fill"
                destructive: true
                onTriggered: root.askDeleteWithFiles([menu.hash], menu.torrentName)
            }
        }
    }

    // Deleting the data cannot be undone on the server, so it is confirmed first; cancelling
    // sends nothing.
    LazyPopup {
        id: deleteConfirmation
        owner: root
        component: Dialog {
            id: dialog
            objectName: "deleteWithFilesConfirmation"
            parent: Overlay.overlay
            anchors.centerIn: parent
            width: Math.min(parent.width - 48, 400)
            modal: true
            title: qsTr("删除种子和文件")
            onClosed: {
                root.pendingDeleteHashes = []
                root.pendingDeleteName = ""
            }

            contentItem: Label {
                objectName: "confirmationText"
                // One named torrent (from its row), or the count of a selection.
                text: root.pendingDeleteHashes.length === 0 ? ""
                      : root.pendingDeleteName !== ""
                        ? qsTr("确定要删除“%1”及其已下载的文件吗？此操作无法撤销。").arg(root.pendingDeleteName)
                        : qsTr("确定要删除选中的 %1 个种子及其已下载的文件吗？此操作无法撤销。").arg(root.pendingDeleteHashes.length)
                wrapMode: Text.Wrap
            }
            footer: DialogButtonBox {
                Button {
                    objectName: "cancelDeleteButton"
                    text: qsTr("取消")
                    flat: true
                    DialogButtonBox.buttonRole: Dialog.RejectRole
                }
                Button {
                    objectName: "confirmDeleteButton"
                    text: qsTr("删除")
                    flat: true
                    Material.foreground: Theme.red
                    DialogButtonBox.buttonRole: Dialog.DestructiveRole
                    onClicked: {
                        if (root.pendingDeleteHashes.length > 0)
                            root.viewModel.removeAll(root.pendingDeleteHashes, true)
                        if (root.selecting)
                            root.setSelecting(false)
                        dialog.close()
                    }
                }
            }
        }
    }

    Sheet {
        objectName: "addTorrentSheet"
        visible: root.showingAddTorrent
        onClosed: root.showingAddTorrent = false
        page: Component {
            AddTorrentView {
                initialLink: root.addSheetLink
            }
        }
    }

    Sheet {
        objectName: "filterPopup"
        visible: root.showingFilterSheet
        onClosed: root.showingFilterSheet = false
        // The sheet works on copies of the category and tag lists taken when it opens.
        pageProperties: ({
            categories: root.viewModel.categoryNames,
            tags: root.viewModel.tags
        })
        page: Component {
            FilterSheet {
                viewModel: root.viewModel
            }
        }
    }

    AlertDialog {
        objectName: "errorAlert"
        title: qsTr("提示")
        shown: root.viewModel.hasError && root.isShown
        message: root.viewModel.errorMessage
        detail: root.suggestionLine(root.viewModel.errorSuggestion)
        onAcknowledged: root.viewModel.clearError()
    }
}
