import QtQuick
import QtTest
import Seedwhirl

ScreenTestCase {
    id: testCase
    name: "ServerForms"

    SettingsViewModel {
        id: model
    }
    Component {
        id: addComponent
        AddServerView {
            viewModel: model
        }
    }
    Component {
        id: editComponent
        EditServerView {
            viewModel: model
        }
    }

    function fill(view, values) {
        for (const key in values)
            view.form[key] = values[key]
    }
    function texts(view, names) {
        return findAll(view, names).map(field => field.text)
    }
    function enabled(view) {
        return findAll(view, ["saveButton", "testButton"]).map(button => button.enabled)
    }
    // A saved profile to edit, as the server list hands it to the edit form.
    function sampleServer() {
        if (!TestSupport.servers().Seedbox) {
            let done = undefined
            model.addServer("Seedbox", "seed.example.org", 443, "me", "pw", true).then(ok => done = ok)
            tryVerify(() => done !== undefined && TestSupport.servers().Seedbox)
        }
        return model.profile(TestSupport.servers().Seedbox)
    }
    function cleanupTestCase() {
        if (TestSupport.servers().Seedbox)
            model.remove(TestSupport.servers().Seedbox)
    }

    // A new form starts with the defaults and needs every field and a password; a failed
    // connection test shows its error in red.
    function test_add_form_needs_every_field_and_a_password() {
        const view = screen(addComponent)
        compare(texts(view, ["nameField", "portField", "usernameField", "passwordField"]), ["", "8080", "admin", ""])
        compare(enabled(view), [false, false])
        verify(!findChild(view, "portCaption").visible)
        fill(view, { name: "NAS", host: "192.168.1.2" })
        compare(enabled(view), [false, false])
        fill(view, { password: "secret" })
        compare(enabled(view), [true, true])
        fill(view, { username: "" })
        compare(enabled(view), [false, false])
        // Nothing listens on port 1 of the loopback address: the test fails at once.
        fill(view, { name: "Nowhere", host: "127.0.0.1", port: "1", username: "admin" })
        mouseClick(findChild(view, "testButton"))
        verify(view.form.isTesting || view.form.hasTestResult)
        tryCompare(view.form, "isTesting", false, 15000)
        verify(view.form.hasTestResult && !view.form.testSucceeded)
        const line = findChild(view, "testResultText")
        verify(line.visible && line.text.length > 0)
        compare(line.text, view.form.testError)
        verify(Qt.colorEqual(line.color, Theme.red))
    }

    // The rule itself is the model's (tested there); the forms show its caption and block saving.
    // An empty port blocks saving without a caption.
    function test_port_rule_data() {
        return [
            { tag: "65536", port: "65536", valid: false, caption: true },
            { tag: "+8080", port: "+8080", valid: true, caption: false },
            { tag: "empty", port: "", valid: false, caption: false }
        ]
    }
    function test_port_rule(data) {
        for (const view of [screen(addComponent), screen(editComponent, { server: sampleServer() })]) {
            fill(view, { name: "NAS", host: "nas.local", username: "admin", password: "pw", port: data.port })
            compare(findChild(view, "portCaption").visible, data.caption, view.objectName)
            compare(enabled(view), [data.valid, data.valid], view.objectName)
        }
    }

    function test_edit_form_copies_the_profile_and_keeps_the_password_optional() {
        const view = screen(editComponent, { server: sampleServer() })
        compare(texts(view, ["nameField", "hostField", "portField", "usernameField"]), ["Seedbox", "seed.example.org", "443", "me"])
        verify(findChild(view, "httpsSwitch").checked)
        // No password needed; the new-password field hides behind the toggle.
        verify(findChild(view, "saveButton").enabled && !findChild(view, "passwordField").visible)
        findChild(view, "changePasswordSwitch").toggle()
        verify(findChild(view, "passwordField").visible)
        compare(findChild(view, "passwordField").placeholderText, "新密码")
    }
}
