import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Dialogs
import QtQuick.Layouts
import Seedwhirl

// Adds a torrent by link or from a local .torrent file, with optional save path, category and
// tags. Talks to the API client directly; the list shows the torrent at its next sync.
Page {
    id: root
    objectName: "addTorrentView"

    // The API client (ApiClient); tests hand in a stand-in with the same functions.
    property QtObject client: ApiClient
    property int addMode: 0 // 0 链接, 1 文件
    property alias torrentURL: urlField.text
    property url selectedFileURL
    property string selectedFileName
    property alias savePath: savePathField.text
    property alias category: categoryField.text
    property alias tags: tagsField.text
    property bool isAdding: false
    property bool showError: false
    property string errorMessage
    property bool showFilePicker: false
    property var categories: []
    property bool isLoadingCategories: false
    readonly property bool hasFile: selectedFileURL.toString() !== ""
    readonly property bool isValid: addMode === 0 ? torrentURL !== "" : hasFile
    // The "保存路径" menu: non-empty category paths, each once, in ascending order.
    readonly property var savePathChoices: {
        const paths = categories.map(c => c.savePath).filter(p => p !== "")
        return Array.from(new Set(paths)).sort()
    }

    signal closeRequested()

    Component.onCompleted: {
        if (savePath === "")
            savePath = AppSettings.defaultSavePath
        loadCategories()
    }

    function loadCategories() {
        isLoadingCategories = true
        client.getCategories("⚠️ 加载分类失败: ").then(function (result) {
            if (result.ok)
                root.categories = result.categories
            root.isLoadingCategories = false
        })
    }

    // An empty field is sent as absent.
    function optional(text) {
        return text === "" ? undefined : text
    }

    function add() {
        if (!isValid || isAdding)
            return
        isAdding = true
        const done = function (result) {
            if (!root)
                return
            root.isAdding = false
            if (result.ok) {
                root.closeRequested()
            } else {
                root.errorMessage = result.error
                root.showError = true
            }
        }
        if (addMode === 0)
            client.addTorrent(torrentURL.trim(), optional(savePath), optional(category), optional(tags)).then(done)
        else
            client.addTorrentFile(selectedFileURL, selectedFileName, optional(savePath), optional(category),
                                  optional(tags)).then(done)
    }

    function lastPathComponent(fileUrl) {
        const path = fileUrl.toString()
        return decodeURIComponent(path.substring(path.lastIndexOf("/") + 1))
    }

    function chooseMenuEntry(action) {
        action()
        Haptics.impact("light")
    }

    header: NavBar {
        title: "添加种子"
        leading: [
            BarButton {
                objectName: "cancelButton"
                text: "取消"
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "addButton"
                visible: !root.isAdding
                text: "添加"
                enabled: root.isValid && !root.isAdding
                onClicked: root.add()
            },
            RowLayout {
                objectName: "addingIndicator"
                visible: root.isAdding
                height: 48
                spacing: 6
                BusyIndicator {
                    running: root.isAdding
                    implicitWidth: 24
                    implicitHeight: 24
                }
                SecondaryLabel {
                    text: "添加中..."
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
                title: "添加方式"
                titles: ["链接", "文件"]
                currentIndex: root.addMode
                onCurrentIndexChanged: root.addMode = currentIndex
            }

            FormSection {
                Layout.fillWidth: true
                visible: root.addMode === 0
                title: "种子链接"
                footer: "支持 magnet:// 或 http:// 链接"
                TextField {
                    id: urlField
                    objectName: "urlField"
                    Layout.fillWidth: true
                    placeholderText: "磁力链接或种子 URL"
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhUrlCharactersOnly
                    selectByMouse: true
                }
            }

            FormSection {
                Layout.fillWidth: true
                visible: root.addMode === 1
                title: "种子文件"
                footer: "选择本地 .torrent 文件"
                ItemDelegate {
                    objectName: "chooseFileButton"
                    Layout.fillWidth: true
                    onClicked: root.showFilePicker = true
                    contentItem: RowLayout {
                        spacing: 10
                        Icon {
                            name: root.hasFile ? "checkmark.circle.fill" : "doc.badge.plus"
                            color: root.hasFile ? Theme.green : Theme.blue
                        }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            Label {
                                objectName: "fileLabel"
                                Layout.fillWidth: true
                                text: root.hasFile ? root.selectedFileName : "选择种子文件"
                                color: root.hasFile ? root.Material.foreground : Theme.blue
                                elide: Text.ElideMiddle
                            }
                            SecondaryLabel {
                                visible: root.hasFile
                                text: "点击重新选择"
                                font.pixelSize: 12
                            }
                        }
                    }
                }
            }

            FormSection {
                Layout.fillWidth: true
                title: "可选设置"
                footer: "多个标签用逗号分隔"
                RowLayout {
                    Layout.fillWidth: true
                    Label {
                        Layout.preferredWidth: 72
                        text: "分类"
                    }
                    TextField {
                        id: categoryField
                        objectName: "categoryField"
                        Layout.fillWidth: true
                        placeholderText: "点击输入"
                        selectByMouse: true
                    }
                    BarButton {
                        id: categoryMenuButton
                        objectName: "categoryMenuButton"
                        symbol: "chevron.up.chevron.down"
                        Accessible.name: "选择分类"
                        onClicked: categoryMenu.open()
                        Menu {
                            id: categoryMenu
                            objectName: "categoryMenu"
                            y: categoryMenuButton.height
                            MenuItem {
                                text: "默认"
                                onTriggered: root.chooseMenuEntry(function () {
                                    root.category = ""
                                    root.savePath = "/downloads"
                                })
                            }
                            Repeater {
                                model: root.categories
                                delegate: MenuItem {
                                    required property var modelData
                                    text: modelData.name
                                    onTriggered: root.chooseMenuEntry(() => {
                                        root.category = modelData.name
                                        if (modelData.savePath !== "")
                                            root.savePath = modelData.savePath
                                    })
                                }
                            }
                        }
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Label {
                        Layout.preferredWidth: 72
                        text: "保存路径"
                    }
                    TextField {
                        id: savePathField
                        objectName: "savePathField"
                        Layout.fillWidth: true
                        placeholderText: "点击输入"
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        selectByMouse: true
                    }
                    BarButton {
                        id: pathMenuButton
                        objectName: "savePathMenuButton"
                        symbol: "chevron.up.chevron.down"
                        Accessible.name: "选择保存路径"
                        onClicked: pathMenu.open()
                        Menu {
                            id: pathMenu
                            objectName: "savePathMenu"
                            y: pathMenuButton.height
                            MenuItem {
                                text: "默认"
                                onTriggered: root.chooseMenuEntry(() => root.savePath = "/downloads")
                            }
                            Repeater {
                                model: root.savePathChoices
                                delegate: MenuItem {
                                    required property string modelData
                                    text: modelData
                                    onTriggered: root.chooseMenuEntry(() => root.savePath = modelData)
                                }
                            }
                        }
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Label {
                        Layout.preferredWidth: 72
                        text: "标签"
                    }
                    TextField {
                        id: tagsField
                        objectName: "tagsField"
                        Layout.fillWidth: true
                        selectByMouse: true
                    }
                }
            }
        }
    }

    FileDialog {
        id: filePicker
        objectName: "filePicker"
        visible: root.showFilePicker
        title: "选择种子文件"
        nameFilters: ["*.torrent"]
        fileMode: FileDialog.OpenFile
        onAccepted: {
            root.selectedFileURL = selectedFile
            root.selectedFileName = root.lastPathComponent(selectedFile)
            root.showFilePicker = false
        }
        onRejected: root.showFilePicker = false
    }

    AlertDialog {
        objectName: "errorAlert"
        title: "错误"
        shown: root.showError
        message: root.errorMessage
        onAcknowledged: root.showError = false
    }
}
