import QtQuick
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "WelcomeView"
    when: windowShown
    visible: true
    width: 390
    height: 844

    SettingsViewModel {
        id: model
    }
    ServerRows {
        id: rows
        model: model.servers
    }
    Component {
        id: welcomeComponent
        WelcomeView {
            width: 390
            height: 844
            viewModel: model
        }
    }

    function removeAllProfiles() {
        for (const id of rows.ids())
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
        const names = []
        const column = findChild(view, "welcomeServerRows").parent
        for (let i = 0; i < column.children.length; ++i) {
            const child = column.children[i]
            if (child.objectName === "welcomeServerRow")
                names.push(findChild(child, "serverName").text)
        }
        return names
    }

    function init() {
        removeAllProfiles()
        model.clearError()
    }
    function cleanup() {
        compare(Icons.unmappedNames, [])
        removeAllProfiles()
    }

    function test_first_launch_offers_to_add_a_server() {
        const view = createTemporaryObject(welcomeComponent, testCase)
        verify(findChild(view, "addFirstServerButton").visible)
        compare(shownRows(view), [])
        verify(findChild(view, "manageServersButton").visible)
        mouseClick(findChild(view, "addFirstServerButton"))
        verify(view.showingAddServer)
        tryCompare(findChild(view, "addServerSheet"), "opened", true)
        findChild(view, "addServerSheet").close()
        tryCompare(view, "showingAddServer", false)
    }

    function test_saved_profiles_are_listed_newest_first() {
        add("first", 8081)
        add("second", 8082)
        add("third", 8083)
        const view = createTemporaryObject(welcomeComponent, testCase)
        verify(!findChild(view, "addFirstServerButton").visible)
        compare(shownRows(view), ["third", "second", "first"])
        // The first profile saved became the active one.
        compare(model.activeServer.name, "first")
    }

    function test_connecting_without_a_stored_password_shows_the_error() {
        add("nopass", 8084)
        verify(TestSupport.forgetPassword(rows.idOf("nopass")))
        const view = createTemporaryObject(welcomeComponent, testCase)
        view.viewModel.connectTo(rows.idOf("nopass"))
        tryCompare(model, "hasError", true)
        verify(!model.isConnecting)
        const alert = findChild(view, "errorAlert")
        tryCompare(alert, "opened", true)
        compare(alert.title, "错误")
        compare(alert.message, model.errorMessage)
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(model, "hasError", false)
    }

    Component {
        id: alertComponent
        AlertDialog {
            title: "提示"
            message: "无法连接到服务器"
            detail: "\n建议：检查服务器设置并重新连接"
        }
    }
    function test_alert_suggestion_follows_the_message_directly() {
        const alert = createTemporaryObject(alertComponent, testCase, { shown: true })
        tryCompare(alert, "opened", true)
        const message = findChild(alert, "alertMessage")
        const detail = findChild(alert, "alertDetail")
        compare(detail.text, "建议：检查服务器设置并重新连接")
        compare(detail.lineCount, 1)
        // Directly under the message: no empty line between them.
        verify(detail.y - (message.y + message.height) < detail.font.pixelSize)
        alert.shown = false
    }
}
