// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

    Sheet {
        id: addSheet
        page: Component {
            AddServerView {
                viewModel: model
            }
        }
    }

    function enabled(view) {
        return findAll(view, ["saveButton", "testButton"]).map(button => button.enabled)
    }
    // A saved profile to edit, as the server list hands it to the edit form.
    function sampleServer() {
        saveProfile(model, { name: "Seedbox", host: "seed.example.org", port: 443, username: "me", password: "pw", useHTTPS: true })
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
            Object.assign(view.form.model, values)
            compare(enabled(view), [ok, ok], JSON.stringify(values))
        }
        // Nothing listens on port 1 of the loopback address: the test fails at once.
        Object.assign(view.form.model, { name: "Nowhere", host: "127.0.0.1", port: "1", username: "admin" })
        mouseClick(findChild(view, "testButton"))
        tryCompare(view.form.model, "isTesting", false, 15000)
        verify(view.form.model.hasTestResult && !view.form.model.testSucceeded)
        const line = findChild(view, "testResultText")
        compare([line.visible, line.text], [true, view.form.model.testError])
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
            Object.assign(view.form.model, { name: "NAS", host: "nas.local", username: "admin", password: "pw", port: data.port })
            compare([findChild(view, "portCaption").visible].concat(enabled(view)), [data.caption, data.valid, data.valid], view.objectName)
        }
    }

    function test_edit_form_copies_the_profile_and_keeps_the_secrets_optional() {
        const view = screen(editComponent, { server: sampleServer() })
        compare(texts(view, ["nameField", "hostField", "portField", "usernameField", "passwordField"]), ["Seedbox", "seed.example.org", "443", "me", ""])
        verify(findChild(view, "httpsSwitch").checked)
        // No password needed; the new-password field hides behind the toggle.
        verify(findChild(view, "saveButton").enabled && !findChild(view, "passwordField").visible)
        findChild(view, "changePasswordSwitch").toggle()
        compare([findChild(view, "passwordField").visible, findChild(view, "passwordField").placeholderText], [true, "新密码"])
    }

    // Every field keeps its label above it once it is filled, a header row's too.
    function test_filled_fields_keep_their_labels() {
        const view = screen(editComponent, { server: sampleServer() })
        const form = view.form.model
        Object.assign(form, { pathPrefix: "/qbt", proxyAuthentication: 2, useApiKey: true, apiKey: "k" })
        form.addHeader()
        form.setHeaderName(0, "X-A")
        form.setHeaderValue(0, "v")
        findChild(view, "changePasswordSwitch").toggle()
        form.password = "new"
        mouseClick(findChild(view, "advancedToggle"))
        const fields = findAll(view, ["nameField", "hostField", "portField", "usernameField", "passwordField", "pathPrefixField",
                                      "headerNameField", "headerValueField", "apiKeyField"])
        const labelOf = field => {
            const siblings = Array.from(field.parent.children)
            return siblings[siblings.indexOf(field) - 1]
        }
        compare(fields.map(field => labelOf(field).text), ["名称", "主机", "端口", "用户名", "新密码", "路径前缀", "名称", "值", "API 密钥"])
        tryVerify(() => fields.every(field => field.text !== "" && labelOf(field).visible && labelOf(field).y + labelOf(field).height <= field.y),
                  fields.filter(field => !labelOf(field).visible).map(field => field.objectName).join())
    }

    // The advanced section: each row's fields (header rows as [name, value]) give that problem
    // under the section, which blocks saving; a path prefix is shown normalised once its field
    // loses the focus.
    function test_advanced_settings_data() {
        const basic = { proxyAuthentication: 1, proxyUsername: "u", proxyPassword: "p" }
        return [
            { tag: "prefix", prefix: "qbt//api/", fields: {}, shown: "/qbt/api", problem: "" },
            { tag: "prefix with a query", prefix: "qbt?x", fields: {}, shown: "/qbt?x", problem: "路径前缀不能包含 ? 或 #" },
            { tag: "basic", fields: basic, problem: "" },
            { tag: "API key and basic", fields: Object.assign({ useApiKey: true, apiKey: "k" }, basic),
              problem: "API 密钥和代理的 HTTP Basic 身份验证都使用 Authorization 请求头，不能同时启用" },
            { tag: "API key without password", fields: { useApiKey: true, apiKey: "k", password: "" }, problem: "" },
            { tag: "headers", headers: [["X-Token", "v"], ["CF-Access-Client-Id", "w"]], problem: "" },
            { tag: "no header", headers: [], problem: "请添加至少一个请求头" },
            { tag: "space in a name", headers: [["X Token", "v"]], problem: "请求头名称“X Token”含有不允许的字符" },
            { tag: "non-ASCII name", headers: [["X-令牌", "v"]], problem: "请求头名称“X-令牌”含有不允许的字符" },
            { tag: "Host", headers: [["host", "v"]], problem: "请求头“host”由应用自己设置，不能自定义" },
            { tag: "Authorization with API key", fields: { useApiKey: true, apiKey: "k" }, headers: [["Authorization", "v"]],
              problem: "使用 API 密钥时 Authorization 请求头由应用设置，不能自定义" },
            { tag: "twice", headers: [["X-A", "v"], ["x-a", "w"]], problem: "请求头“x-a”重复" },
            { tag: "line break in a value", headers: [["X-A", "a\r\nX-B: b"]], problem: "请求头“X-A”的值不能包含换行" },
            { tag: "no value", headers: [["X-A", ""]], problem: "请填写请求头“X-A”的值" }
        ]
    }
    function test_advanced_settings(data) {
        const view = screen(addComponent)
        const form = view.form.model
        Object.assign(form, { name: "NAS", host: "nas.local", password: "pw" }, data.fields)
        mouseClick(findChild(view, "advancedToggle"))
        verify(findChild(view, "advancedSettings").visible)
        if (data.headers) {
            form.proxyAuthentication = 2
            for (const [name, value] of data.headers) {
                form.addHeader()
                form.setHeaderName(form.headerNames.length - 1, name)
                form.setHeaderValue(form.headerNames.length - 1, value)
            }
        }
        if (data.prefix) {
            const field = findChild(view, "pathPrefixField")
            field.forceActiveFocus()
            for (const c of data.prefix)
                keyClick(c)
            findChild(view, "nameField").forceActiveFocus()
            compare(field.text, data.shown)
        }
        const problem = findChild(view, "advancedProblem")
        compare([problem.visible, problem.text, findChild(view, "saveButton").enabled], [data.problem !== "", data.problem, data.problem === ""])
    }

    // With a keyboard: Escape closes an untouched sheet at once and asks once something was
    // typed ("继续编辑" keeps the input, "放弃" drops it); Enter saves a complete form only.
    function test_sheet_keys() {
        const typeInto = (name, text) => {
            findChild(addSheet.item, name).forceActiveFocus()
            for (const c of text)
                keyClick(c)
        }
        const reopen = () => {
            addSheet.open()
            tryCompare(addSheet, "opened", true)
        }
        reopen()
        keyClick(Qt.Key_Escape)
        tryCompare(addSheet, "visible", false)
        reopen()
        typeInto("nameField", "NAS")
        keyClick(Qt.Key_Return)
        compare(addSheet.opened, true) // no host and password yet
        keyClick(Qt.Key_Escape)
        const question = findChild(addSheet, "discardQuestion")
        tryCompare(question, "opened", true)
        compare(question.title, "放弃已输入的内容？")
        mouseClick(findChild(question, "keepEditingButton"))
        tryCompare(question, "visible", false)
        compare([addSheet.opened, findChild(addSheet.item, "nameField").text], [true, "NAS"])
        keyClick(Qt.Key_Escape)
        tryCompare(question, "opened", true)
        mouseClick(findChild(question, "discardButton"))
        tryCompare(addSheet, "visible", false)
        compare(session.servers().NAS, undefined)
        reopen()
        typeInto("nameField", "NAS")
        typeInto("hostField", "nas.local")
        typeInto("passwordField", "pw")
        keyClick(Qt.Key_Enter)
        tryCompare(addSheet, "visible", false, 5000)
        tryVerify(() => session.servers().NAS !== undefined, 5000)
    }

    // A pinned certificate shows its fingerprint; forgetting it returns the trust to the
    // system's, and the saved profile pins nothing any more.
    function test_forget_the_pinned_certificate() {
        const id = session.savePinnedProfile("Pinned")
        const fingerprint = session.pinnedFingerprint(id)
        const view = screen(editComponent, { server: model.profile(id) })
        mouseClick(findChild(view, "advancedToggle"))
        const picker = findChild(view, "trustPicker")
        compare([picker.count, picker.currentText, findChild(view, "pinnedFingerprintText").text], [3, "已固定的证书", fingerprint])
        verify(/^([0-9A-F]{2}:){31}[0-9A-F]{2}$/.test(fingerprint), fingerprint)
        findChild(view, "forgetPinButton").clicked() // below the fold of a phone-sized form
        compare([picker.currentText, findChild(view, "pinnedFingerprintText").visible], ["系统证书", false])
        mouseClick(findChild(view, "saveButton"))
        tryVerify(() => session.pinnedFingerprint(id) === "", 5000)
    }
}
