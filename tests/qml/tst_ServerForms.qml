import QtQuick
import QtTest
import Seedwhirl

TestCase {
    id: testCase
    name: "ServerForms"
    when: windowShown
    visible: true
    width: 390
    height: 844

    SettingsViewModel {
        id: model
    }
    Component {
        id: addComponent
        AddServerView {
            width: 390
            height: 844
            viewModel: model
        }
    }
    Component {
        id: editComponent
        EditServerView {
            width: 390
            height: 844
            viewModel: model
        }
    }

    function cleanup() {
        compare(Icons.unmappedNames, [])
    }

    function fill(view, values) {
        for (const key in values)
            view.form[key] = values[key]
    }

    function test_new_form_starts_with_defaults_and_cannot_save() {
        const view = createTemporaryObject(addComponent, testCase)
        compare(findChild(view, "portField").text, "8080")
        compare(findChild(view, "usernameField").text, "admin")
        compare(findChild(view, "nameField").text, "")
        compare(findChild(view, "passwordField").text, "")
        verify(!findChild(view, "saveButton").enabled)
        verify(!findChild(view, "testButton").enabled)
        verify(!findChild(view, "portCaption").visible)
    }

    function test_add_form_needs_every_field_and_a_password() {
        const view = createTemporaryObject(addComponent, testCase)
        fill(view, { name: "NAS", host: "192.168.1.2" })
        verify(!findChild(view, "saveButton").enabled)
        fill(view, { password: "secret" })
        verify(findChild(view, "saveButton").enabled)
        verify(findChild(view, "testButton").enabled)
        fill(view, { username: "" })
        verify(!findChild(view, "saveButton").enabled)
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
    ServerRows {
        id: rows
        model: model.servers
    }
    // A saved profile to edit, as the server list hands it to the edit form.
    function sampleServer() {
        if (rows.idOf("Seedbox") === "") {
            let done = undefined
            model.addServer("Seedbox", "seed.example.org", 443, "me", "pw", true).then(ok => done = ok)
            tryVerify(() => done !== undefined)
            tryVerify(() => rows.idOf("Seedbox") !== "")
        }
        return model.profile(rows.idOf("Seedbox"))
    }
    function cleanupTestCase() {
        if (rows.idOf("Seedbox") !== "")
            model.remove(rows.idOf("Seedbox"))
    }

    function test_port_rule(data) {
        const views = [createTemporaryObject(addComponent, testCase),
                       createTemporaryObject(editComponent, testCase, { server: sampleServer() })]
        for (const view of views) {
            fill(view, { name: "NAS", host: "nas.local", username: "admin", password: "pw", port: data.port })
            compare(findChild(view, "portCaption").visible, data.caption, view.objectName)
            compare(findChild(view, "saveButton").enabled, data.valid, view.objectName)
            compare(findChild(view, "testButton").enabled, data.valid, view.objectName)
        }
    }

    function test_edit_form_copies_the_profile_and_keeps_the_password_optional() {
        const view = createTemporaryObject(editComponent, testCase, { server: sampleServer() })
        compare(findChild(view, "nameField").text, "Seedbox")
        compare(findChild(view, "hostField").text, "seed.example.org")
        compare(findChild(view, "portField").text, "443")
        compare(findChild(view, "usernameField").text, "me")
        verify(findChild(view, "httpsSwitch").checked)
        // No password needed; the new-password field hides behind the toggle.
        verify(findChild(view, "saveButton").enabled)
        verify(!findChild(view, "passwordField").visible)
        findChild(view, "changePasswordSwitch").toggle()
        verify(findChild(view, "passwordField").visible)
        compare(findChild(view, "passwordField").placeholderText, "新密码")
    }

    function test_failed_connection_test_shows_its_error_in_red() {
        const view = createTemporaryObject(addComponent, testCase)
        // Nothing listens on port 1 of the loopback address: the test fails at once.
        fill(view, { name: "Nowhere", host: "127.0.0.1", port: "1", password: "pw" })
        mouseClick(findChild(view, "testButton"))
        verify(view.form.isTesting || view.form.hasTestResult)
        tryCompare(view.form, "isTesting", false, 15000)
        verify(view.form.hasTestResult)
        verify(!view.form.testSucceeded)
        const line = findChild(view, "testResultText")
        verify(line.visible)
        verify(line.text.length > 0)
        compare(line.text, view.form.testError)
        verify(line.text !== "✓ 连接成功")
        compare(Qt.colorEqual(line.color, Theme.red), true)
    }
}
