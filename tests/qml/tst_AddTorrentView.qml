import QtQuick
import QtTest
import Seedwhirl

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
    Component {
        id: fakeComponent
        FakeApiClient {}
    }
    SignalSpy {
        id: closeSpy
        signalName: "closeRequested"
    }

    property string savedDefaultPath

    function initTestCase() {
        savedDefaultPath = AppSettings.defaultSavePath
    }
    function cleanup() {
        AppSettings.defaultSavePath = savedDefaultPath
    }

    function open(props) {
        const fake = createTemporaryObject(fakeComponent, testCase, props && props.fake ? props.fake : {})
        const initial = Object.assign({ client: fake }, props && props.sheet ? props.sheet : {})
        const sheet = createTemporaryObject(sheetComponent, testCase, initial)
        verify(sheet)
        closeSpy.clear()
        closeSpy.target = sheet
        return { sheet: sheet, fake: fake }
    }

    function addButton(sheet) {
        return findChild(sheet, "addButton")
    }

    function test_link_mode_needs_a_link() {
        const t = open()
        compare(t.sheet.addMode, 0)
        verify(!addButton(t.sheet).enabled)
        t.sheet.torrentURL = "magnet:?xt=urn:btih:abc"
        verify(addButton(t.sheet).enabled)
    }

    function test_link_is_trimmed_and_empty_fields_are_absent() {
        AppSettings.defaultSavePath = "/data/incoming"
        const t = open()
        compare(t.sheet.savePath, "/data/incoming")
        t.sheet.torrentURL = "  \tmagnet:?xt=urn:btih:abc \n"
        t.sheet.savePath = ""
        mouseClick(addButton(t.sheet))
        const call = t.fake.lastCall()
        compare(call.name, "addTorrent")
        compare(call.urls, "magnet:?xt=urn:btih:abc")
        compare(call.savePath, undefined)
        compare(call.category, undefined)
        compare(call.tags, undefined)
        compare(closeSpy.count, 1)
    }

    function test_optional_fields_are_sent_as_typed() {
        const t = open()
        t.sheet.torrentURL = "http://example.org/a.torrent"
        t.sheet.savePath = "/srv/x"
        t.sheet.category = "linux"
        t.sheet.tags = "a, b ,c"
        t.sheet.add()
        const call = t.fake.lastCall()
        compare(call.savePath, "/srv/x")
        compare(call.category, "linux")
        compare(call.tags, "a, b ,c")
    }

    function test_a_link_of_spaces_is_valid_and_sent_empty() {
        const t = open()
        t.sheet.torrentURL = "   "
        verify(addButton(t.sheet).enabled)
        t.sheet.add()
        compare(t.fake.lastCall().urls, "")
    }

    function test_save_path_prefilled_only_when_empty() {
        AppSettings.defaultSavePath = "/from/settings"
        const t = open({ sheet: { savePath: "/already/there" } })
        compare(t.sheet.savePath, "/already/there")
    }

    function test_file_mode_needs_a_file_and_sends_it() {
        const t = open()
        t.sheet.torrentURL = "magnet:?xt=urn:btih:abc"
        t.sheet.addMode = 1
        verify(!addButton(t.sheet).enabled)
        t.sheet.selectedFileURL = "file:///tmp/some%20file.torrent"
        t.sheet.selectedFileName = t.sheet.lastPathComponent(t.sheet.selectedFileURL)
        compare(t.sheet.selectedFileName, "some file.torrent")
        verify(addButton(t.sheet).enabled)
        t.sheet.tags = "x"
        t.sheet.add()
        const call = t.fake.lastCall()
        compare(call.name, "addTorrentFile")
        compare(call.fileName, "some file.torrent")
        compare(call.fileUrl, String(t.sheet.selectedFileURL))
        compare(call.tags, "x")
        compare(call.category, undefined)
    }

    function test_adding_shows_progress_and_failure_keeps_the_sheet() {
        const t = open({ fake: { deferred: true, addResult: { ok: false, error: "服务器错误 (500)" } } })
        t.sheet.torrentURL = "magnet:?xt=urn:btih:abc"
        t.sheet.add()
        verify(t.sheet.isAdding)
        verify(!addButton(t.sheet).visible)
        verify(findChild(t.sheet, "addingIndicator").visible)
        // A second tap while adding sends nothing more.
        const calls = t.fake.calls.length
        t.sheet.add()
        compare(t.fake.calls.length, calls)
        t.fake.resolve()
        verify(!t.sheet.isAdding)
        compare(closeSpy.count, 0)
        verify(t.sheet.showError)
        const alert = findChild(t.sheet, "errorAlert")
        tryCompare(alert, "opened", true)
        compare(alert.title, "错误")
        compare(alert.message, "服务器错误 (500)")
        compare(t.sheet.torrentURL, "magnet:?xt=urn:btih:abc")
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(t.sheet, "showError", false)
    }

    function test_unreadable_file_shows_its_read_error() {
        // The real client: the file is read before anything is sent.
        const sheet = createTemporaryObject(sheetComponent, testCase, {})
        closeSpy.clear()
        closeSpy.target = sheet
        sheet.addMode = 1
        sheet.selectedFileURL = "file:///nonexistent/folder/gone.torrent"
        sheet.selectedFileName = "gone.torrent"
        sheet.add()
        tryCompare(sheet, "showError", true)
        verify(sheet.errorMessage.indexOf("gone.torrent") >= 0, sheet.errorMessage)
        compare(closeSpy.count, 0)
        verify(!sheet.isAdding)
    }

    function test_menus_fill_category_and_path_with_a_light_tap() {
        const categories = [
            { name: "linux", savePath: "/srv/linux" },
            { name: "empty", savePath: "" },
            { name: "again", savePath: "/srv/linux" },
            { name: "movies", savePath: "/srv/a-movies" }
        ]
        const t = open({ fake: { categoriesResult: { ok: true, error: "", categories: categories } } })
        compare(t.fake.calls[0].name, "getCategories")
        compare(t.fake.calls[0].prefix, "⚠️ 加载分类失败: ")
        compare(t.sheet.categories.length, 4)
        compare(t.sheet.savePathChoices, ["/srv/a-movies", "/srv/linux"])

        const menu = findChild(t.sheet, "categoryMenu")
        const taps = Haptics.lightCount
        // Entries: 默认, then one per category.
        menu.itemAt(1).triggered()
        compare(t.sheet.category, "linux")
        compare(t.sheet.savePath, "/srv/linux")
        menu.itemAt(2).triggered()
        compare(t.sheet.category, "empty")
        compare(t.sheet.savePath, "/srv/linux")
        menu.itemAt(0).triggered()
        compare(t.sheet.category, "")
        compare(t.sheet.savePath, "/downloads")

        const pathMenu = findChild(t.sheet, "savePathMenu")
        compare(pathMenu.count, 3)
        pathMenu.itemAt(1).triggered()
        compare(t.sheet.savePath, "/srv/a-movies")
        compare(Haptics.lightCount, taps + 4)
    }

    function test_failed_category_load_keeps_the_list() {
        const t = open({ fake: { categoriesResult: { ok: false, error: "x", categories: [] } } })
        compare(t.sheet.categories, [])
        verify(!t.sheet.isLoadingCategories)
    }
}
