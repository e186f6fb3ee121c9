import QtQuick
import QtTest
import Seedwhirl

// The sheet's wiring to its model; what the model does is tested without QML.
TestCase {
    id: testCase
    name: "AddTorrentView"
    when: windowShown
    visible: true
    width: 390
    height: 844

    Component {
        id: sheetComponent
        AddTorrentView {
            width: 390
            height: 844
        }
    }
    SignalSpy {
        id: closeSpy
        signalName: "closeRequested"
    }

    // Over the shared client, which is not connected: an add fails at once.
    function test_fields_menus_alert_and_closing() {
        const savedDefaultPath = AppSettings.defaultSavePath
        AppSettings.defaultSavePath = "/data/incoming"
        const sheet = createTemporaryObject(sheetComponent, testCase)
        AppSettings.defaultSavePath = savedDefaultPath
        closeSpy.target = sheet
        const model = sheet.viewModel
        compare(findChild(sheet, "savePathField").text, "/data/incoming")
        const add = findChild(sheet, "addButton")
        verify(!add.enabled)
        findChild(sheet, "urlField").text = "magnet:?xt=urn:btih:abc"
        compare(model.torrentURL, "magnet:?xt=urn:btih:abc")
        verify(add.enabled)
        findChild(sheet, "tagsField").text = "a, b"
        compare(model.tags, "a, b")
        model.category = "linux"
        compare(findChild(sheet, "categoryField").text, "linux")

        const taps = Haptics.lightCount
        findChild(sheet, "savePathMenu").itemAt(0).triggered()
        findChild(sheet, "categoryMenu").itemAt(0).triggered()
        compare(model.savePath + "|" + model.category, "/downloads|")
        compare(Haptics.lightCount, taps + 2)

        mouseClick(add)
        const alert = findChild(sheet, "errorAlert")
        tryCompare(alert, "opened", true)
        compare(alert.title, "错误")
        verify(model.errorMessage !== "")
        compare(alert.message, model.errorMessage)
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(model, "showError", false)

        findChild(sheet, "addModePicker").currentIndex = 1
        compare(model.addMode, 1)
        const label = findChild(sheet, "fileLabel")
        compare(label.text, "选择种子文件")
        model.selectedFileURL = "file:///tmp/some%20file.torrent"
        compare(label.text, "some file.torrent")
        compare(closeSpy.count, 0)
        model.added()
        compare(closeSpy.count, 1)
    }
}
