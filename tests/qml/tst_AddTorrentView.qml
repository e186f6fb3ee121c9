// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl

// The sheet's wiring to its model; what the model does is tested without QML.
ScreenTestCase {
    id: testCase
    name: "AddTorrentView"

    Component {
        id: sheetComponent
        AddTorrentView {}
    }

    // Over the shared client, which is not connected: an add fails at once.
    function test_fields_menus_alert_and_closing() {
        const savedDefaultPath = AppSettings.defaultSavePath
        AppSettings.defaultSavePath = "/data/incoming"
        const sheet = screen(sheetComponent)
        AppSettings.defaultSavePath = savedDefaultPath
        closeSpy.target = sheet
        const [model, add] = [sheet.viewModel, findChild(sheet, "addButton")]
        compare([findChild(sheet, "savePathField").text, add.enabled], ["/data/incoming", false])
        findChild(sheet, "urlField").text = "magnet:?xt=urn:btih:abc"
        findChild(sheet, "tagsField").text = "a, b"
        compare([model.torrentURL, model.tags, add.enabled], ["magnet:?xt=urn:btih:abc", "a, b", true])
        model.category = "linux"
        compare(findChild(sheet, "categoryField").text, "linux")

        const taps = Haptics.lightCount
        findChild(sheet, "savePathMenu").itemAt(0).triggered()
        findChild(sheet, "categoryMenu").itemAt(0).triggered()
        compare([model.savePath, model.category, Haptics.lightCount], ["/downloads", "", taps + 2])

        mouseClick(add)
        const alert = findChild(sheet, "errorAlert")
        tryCompare(alert, "opened", true)
        compare([alert.title, alert.message, alert.message !== ""], ["错误", model.errorMessage, true])
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(model, "showError", false)

        findChild(sheet, "addModePicker").currentIndex = 1
        const label = findChild(sheet, "fileLabel")
        compare([model.addMode, label.text], [1, "选择种子文件"])
        model.selectedFileURL = "file:///tmp/some%20file.torrent"
        compare(label.text, "some file.torrent")
        compare(closeSpy.count, 0)
        model.added()
        compare(closeSpy.count, 1)
    }

    // The button box of Qt's own file dialog, somewhere below its footer.
    function buttonBoxIn(item) {
        if (typeof item.standardButton === "function")
            return item
        const children = item.children || []
        for (let i = 0; i < children.length; ++i) {
            const found = buttonBoxIn(children[i])
            if (found)
                return found
        }
        return null
    }

    // Qt's own dialog, as on a desktop without a native one: it lists torrent files only, speaks
    // Chinese, and what is chosen in it reaches the model.
    function test_file_picker_chooses_a_torrent() {
        const sheet = screen(sheetComponent)
        const picker = findChild(sheet, "filePicker")
        picker.currentFolder = session.folderWith(["ubuntu.torrent", "notes.txt"])
        findChild(sheet, "addModePicker").currentIndex = 1
        mouseClick(findChild(sheet, "chooseFileButton"))
        tryCompare(picker, "visible", true)
        compare(picker.selectedNameFilter.globs, ["*.torrent"])
        const list = findChild(sheet.Overlay.overlay, "fileDialogListView")
        verify(list)
        tryCompare(list, "count", 1)
        const row = findChild(list, "fileDialogDelegate0")
        const buttons = buttonBoxIn(row.dialog.footer)
        const [open, cancel] = [buttons.standardButton(Dialog.Open), buttons.standardButton(Dialog.Cancel)]
        compare([open.text, cancel.text], ["打开", "取消"])
        mouseClick(row)
        mouseClick(open)
        tryCompare(picker, "visible", false)
        compare(sheet.viewModel.selectedFileURL.toString().endsWith("/ubuntu.torrent"), true)
        compare(findChild(sheet, "fileLabel").text, "ubuntu.torrent")
    }
}
