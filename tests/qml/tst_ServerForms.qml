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

    function test_port_rule_data() {
        return [
            { tag: "0", port: "0", valid: false },
            { tag: "65536", port: "65536", valid: false },
            { tag: "80a", port: "80a", valid: false },
            { tag: "-1", port: "-1", valid: false },
            { tag: "65535", port: "65535", valid: true },
            { tag: "1", port: "1", valid: true },
            { tag: "+8080", port: "+8080", valid: true }
        ]
    }
    readonly property var sampleServer: ({ id: "6B1C9F0E-1111-4222-8333-944455556666", name: "Seedbox",
                                           host: "seed.example.org", port: 443, username: "me", useHTTPS: true })

    function test_port_rule(data) {
        const views = [createTemporaryObject(addComponent, testCase),
                       createTemporaryObject(editComponent, testCase, { server: sampleServer })]
        for (const view of views) {
            fill(view, { name: "NAS", host: "nas.local", username: "admin", password: "pw", port: data.port })
            compare(findChild(view, "portCaption").visible, !data.valid, view.objectName)
            compare(findChild(view, "saveButton").enabled, data.valid, view.objectName)
            compare(findChild(view, "testButton").enabled, data.valid, view.objectName)
        }
    }

    function test_empty_port_shows_no_caption_but_blocks_saving() {
        const view = createTemporaryObject(addComponent, testCase)
        fill(view, { name: "NAS", host: "nas.local", password: "pw", port: "" })
        verify(!findChild(view, "portCaption").visible)
        verify(!findChild(view, "saveButton").enabled)
    }

    function test_edit_form_copies_the_profile_and_keeps_the_password_optional() {
        const view = createTemporaryObject(editComponent, testCase, { server: sampleServer })
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
        verify(view.form.isTesting || view.form.testResult !== undefined)
        tryCompare(view.form, "isTesting", false, 15000)
        compare(view.form.testResult, false)
        const line = findChild(view, "testResultText")
        verify(line.visible)
        verify(line.text.length > 0)
        compare(line.text, view.form.testError)
        verify(line.text !== "✓ 连接成功")
        compare(Qt.colorEqual(line.color, Theme.red), true)
    }
}
