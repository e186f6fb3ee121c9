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

    function enabled(view) {
        return findAll(view, ["saveButton", "testButton"]).map(button => button.enabled)
    }
    // A saved profile to edit, as the server list hands it to the edit form.
    function sampleServer() {
        let done
        model.addServer("Seedbox", "seed.example.org", 443, "me", "pw", true).then(ok => done = ok)
        tryVerify(() => done === true && session.servers().Seedbox)
        return model.profile(session.servers().Seedbox)
    }
    function tearDown() {
        removeAllProfiles(model)
    }

    // A new form starts with the defaults and needs every field and a password; a failed
    // connection test shows its error in red.
    function test_add_form_needs_every_field_and_a_password() {
        const view = screen(addComponent)
        compare(texts(view, ["nameField", "portField", "usernameField", "passwordField"]), ["", "8080", "admin", ""])
        compare([enabled(view), findChild(view, "portCaption").visible], [[false, false], false])
        for (const [values, ok] of [[{ name: "NAS", host: "192.168.1.2" }, false], [{ password: "secret" }, true], [{ username: "" }, false]]) {
            Object.assign(view.form, values)
            compare(enabled(view), [ok, ok], JSON.stringify(values))
        }
        // Nothing listens on port 1 of the loopback address: the test fails at once.
        Object.assign(view.form, { name: "Nowhere", host: "127.0.0.1", port: "1", username: "admin" })
        mouseClick(findChild(view, "testButton"))
        tryCompare(view.form, "isTesting", false, 15000)
        verify(view.form.hasTestResult && !view.form.testSucceeded)
        const line = findChild(view, "testResultText")
        compare([line.visible, line.text], [true, view.form.testError])
        verify(line.text && Qt.colorEqual(line.color, Theme.red))
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
            Object.assign(view.form, { name: "NAS", host: "nas.local", username: "admin", password: "pw", port: data.port })
            compare([findChild(view, "portCaption").visible].concat(enabled(view)), [data.caption, data.valid, data.valid], view.objectName)
        }
    }

    function test_edit_form_copies_the_profile_and_keeps_the_password_optional() {
        const view = screen(editComponent, { server: sampleServer() })
        compare(texts(view, ["nameField", "hostField", "portField", "usernameField"]), ["Seedbox", "seed.example.org", "443", "me"])
        verify(findChild(view, "httpsSwitch").checked)
        // No password needed; the new-password field hides behind the toggle.
        verify(findChild(view, "saveButton").enabled && !findChild(view, "passwordField").visible)
        findChild(view, "changePasswordSwitch").toggle()
        compare([findChild(view, "passwordField").visible, findChild(view, "passwordField").placeholderText], [true, "新密码"])
    }
}
