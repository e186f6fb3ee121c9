// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtTest
import Seedwhirl
import SeedwhirlTest

// A phone-sized test case with a fresh local server session per test. Screens made through
// screen() are destroyed before the session and its models, so that no binding of a screen being
// torn down reads a model that is already gone. Every symbol a screen drew has a glyph.
TestCase {
    id: testCase

    property QtObject session: null
    property var screens: []
    // Set its target to a sheet.
    property SignalSpy closeSpy: SignalSpy {
        signalName: "closeRequested"
    }

    // Per-test steps of a test file, run after the session starts and before it ends.
    function setUp() {}
    function tearDown() {}

    when: windowShown
    visible: true
    width: 390
    height: 844

    Component {
        id: stackComponent
        StackView {}
    }
    Component {
        id: sessionComponent
        TestSession {}
    }
    Component {
        id: formModelComponent
        ServerFormModel {}
    }

    // An item the size of the window.
    function screen(component, properties) {
        const item = createTemporaryObject(component, testCase, Object.assign({ width: width, height: height }, properties))
        screens.push(item)
        return item
    }
    // A page as the first of a stack, as a tab shows it.
    function stackedScreen(component, properties) {
        const stack = screen(stackComponent)
        stack.push(component, properties, StackView.Immediate)
        return stack
    }
    function findAll(item, names) {
        return names.map(name => findChild(item, name))
    }
    function texts(item, names) {
        return findAll(item, names).map(child => child.text)
    }
    // Saves a new profile as the add form does; fields are the form model's.
    function saveProfile(model, fields) {
        const form = createTemporaryObject(formModelComponent, testCase, { settings: model })
        Object.assign(form, fields)
        let done
        form.save().then(ok => done = ok)
        tryVerify(() => done === true, 5000, JSON.stringify(fields))
    }
    function removeAllProfiles(model) {
        for (const id of Object.values(session.servers()))
            model.remove(id)
        tryCompare(model.servers, "count", 0)
    }

    function init() {
        session = sessionComponent.createObject(testCase)
        // No timed refresh: without a server each one fails and raises its alert again, which
        // would take the taps meant for the screen.
        AppSettings.isAutoRefreshEnabled = false
        setUp()
    }
    function cleanup() {
        for (const item of screens)
            item?.destroy()
        screens = []
        compare(Icons.unmappedNames, [])
        closeSpy.clear()
        tearDown()
        session.destroy()
        session = null
    }
}
