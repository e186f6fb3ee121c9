// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtTest
import Seedwhirl

// The question about a certificate the client refused for a saved profile, over the welcome
// screen: its texts, and what trusting or cancelling does.
ScreenTestCase {
    id: testCase
    name: "TrustSheet"

    readonly property string sampleFingerprint: "96:F3:24:76:A0:84:8B:77:F1:CA:23:75:48:66:F0:73:8D:9C:CA:C3:D5:6B:BA:C3:A2:B0:46:DD:FC:9A:ED:11"
    readonly property string otherFingerprint: "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF"
    property SettingsViewModel model: null

    Component {
        id: shellComponent
        MainTabView {
            isAuthenticated: false
        }
    }
    function setUp() {
        model = session.settingsModel()
    }
    function tearDown() {
        removeAllProfiles(model)
    }
    function values(sheet, names) {
        return names.map(name => findChild(sheet, name + "Value").text)
    }

    function test_texts_data() {
        return [
            { tag: "untrusted", title: "服务器证书不受信任", canTrust: true, changed: false },
            { tag: "hostNameMismatch", title: "服务器证书与地址不符", canTrust: true, changed: false },
            { tag: "changed", title: "服务器证书已改变", canTrust: true, changed: true },
            { tag: "expired", title: "服务器证书已过期", canTrust: false, changed: false }
        ]
    }
    function test_texts(data) {
        saveProfile(model, { name: "TLS", host: "127.0.0.1", port: 1, password: "pw", useHTTPS: true })
        const shell = screen(shellComponent, { serverViewModel: model })
        const sheet = findChild(shell, "trustSheet")
        session.rejectCertificate(session.servers().TLS, data.tag, otherFingerprint)
        tryCompare(sheet, "opened", true)
        compare(findChild(sheet, "trustTitle").text, data.title)
        compare(values(sheet, ["subject", "issuer", "address", "fingerprint"]), ["seedbox.example", "seedbox.example", "127.0.0.1:1", sampleFingerprint])
        verify(/^2026.* 至 2126/.test(findChild(sheet, "validityValue").text), findChild(sheet, "validityValue").text)
        const pinned = findChild(sheet, "pinnedFingerprint")
        compare([pinned.visible, findChild(sheet, "pinnedFingerprintValue").text], [data.changed, data.changed ? otherFingerprint : ""])
        // A changed certificate is trusted again only once the user confirms the new fingerprint.
        const trust = findChild(sheet, "trustButton")
        compare([trust.visible, trust.enabled], [data.canTrust, !data.changed])
        if (data.changed) {
            mouseClick(findChild(sheet, "confirmChangeBox"))
            verify(trust.enabled)
        }
    }

    // Cancelling closes the sheet, and the same certificate of that profile is not asked about
    // again (until the user connects); trusting pins it in the profile and connects again.
    function test_answers() {
        for (const name of ["TLS", "Other"])
            saveProfile(model, { name: name, host: "127.0.0.1", port: 1, password: "pw", useHTTPS: true })
        const id = session.servers().TLS
        const shell = screen(shellComponent, { serverViewModel: model })
        const sheet = findChild(shell, "trustSheet")
        session.rejectCertificate(id, "untrusted")
        tryCompare(sheet, "opened", true)
        mouseClick(findChild(sheet, "trustCancelButton"))
        tryCompare(sheet, "visible", false)
        session.rejectCertificate(id, "untrusted")
        wait(50)
        compare([sheet.visible, session.pinnedFingerprint(id)], [false, ""])

        const other = session.servers().Other
        session.rejectCertificate(other, "untrusted")
        tryCompare(sheet, "opened", true)
        mouseClick(findChild(sheet, "trustButton"))
        tryVerify(() => session.pinnedFingerprint(other) === sampleFingerprint, 5000)
        tryCompare(model, "isConnecting", false, 15000)
    }
}
