import QtQuick
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
}
