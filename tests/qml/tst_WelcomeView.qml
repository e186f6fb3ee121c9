import QtQuick
import QtTest
import Seedwhirl

ScreenTestCase {
    id: testCase
    name: "WelcomeView"

    SettingsViewModel {
        id: model
    }
    Component {
        id: welcomeComponent
        WelcomeView {
            viewModel: model
        }
    }
    Component {
        id: alertComponent
        AlertDialog {
            title: "提示"
            message: "无法连接到服务器"
            detail: "\n建议：检查服务器设置并重新连接"
        }
    }

    function removeAllProfiles() {
        for (const id of Object.values(TestSupport.servers()))
            model.remove(id)
        tryCompare(model.servers, "count", 0)
    }
    function add(name, port) {
        let done = undefined
        model.addServer(name, "127.0.0.1", port, "admin", "secret", false).then(ok => done = ok)
        tryVerify(() => done !== undefined)
        verify(done)
    }
    function shownRows(view) {
        const column = findChild(view, "welcomeServerRows").parent
        return Array.from(column.children).filter(child => child.objectName === "welcomeServerRow")
                    .map(child => findChild(child, "serverName").text)
    }

    function setUp() {
        removeAllProfiles()
        model.clearError()
    }
    function tearDown() {
        removeAllProfiles()
    }

    // Saved profiles are listed newest first as they come; the first one saved became the active one.
    function test_first_launch_offers_to_add_a_server_then_lists_the_saved_ones() {
        const view = screen(welcomeComponent)
        compare(shownRows(view), [])
        verify(findChild(view, "addFirstServerButton").visible && findChild(view, "manageServersButton").visible)
        mouseClick(findChild(view, "addFirstServerButton"))
        verify(view.showingAddServer)
        tryCompare(findChild(view, "addServerSheet"), "opened", true)
        findChild(view, "addServerSheet").close()
        tryCompare(view, "showingAddServer", false)
        add("first", 8081)
        add("second", 8082)
        add("third", 8083)
        tryCompare(findChild(view, "addFirstServerButton"), "visible", false)
        compare(shownRows(view), ["third", "second", "first"])
        compare(model.activeServer.name, "first")
    }

    function test_connecting_without_a_stored_password_shows_the_error() {
        add("nopass", 8084)
        verify(TestSupport.forgetPassword(TestSupport.servers().nopass))
        const view = screen(welcomeComponent)
        view.viewModel.connectTo(TestSupport.servers().nopass)
        tryCompare(model, "hasError", true)
        verify(!model.isConnecting)
        const alert = findChild(view, "errorAlert")
        tryCompare(alert, "opened", true)
        compare([alert.title, alert.message], ["错误", model.errorMessage])
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(model, "hasError", false)
    }

    function test_alert_suggestion_follows_the_message_directly() {
        const alert = createTemporaryObject(alertComponent, testCase, { shown: true })
        tryCompare(alert, "opened", true)
        const [message, detail] = findAll(alert, ["alertMessage", "alertDetail"])
        compare([detail.text, detail.lineCount], ["建议：检查服务器设置并重新连接", 1])
        // Directly under the message: no empty line between them.
        verify(detail.y - (message.y + message.height) < detail.font.pixelSize)
        alert.shown = false
    }
}
