// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    function add(name, port) {
        saveProfile(model, { name: name, host: "127.0.0.1", port: port, password: "secret" })
    }
    function shownRows(view) {
        const column = findChild(view, "welcomeServerRows").parent
        return Array.from(column.children).filter(child => child.objectName === "welcomeServerRow")
                    .map(child => findChild(child, "serverName").text)
    }

    function setUp() {
        removeAllProfiles(model)
        model.clearError()
    }
    function tearDown() {
        removeAllProfiles(model)
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
        for (const [i, name] of ["first", "second", "third"].entries())
            add(name, 8081 + i)
        tryCompare(findChild(view, "addFirstServerButton"), "visible", false)
        compare(shownRows(view), ["third", "second", "first"])
        compare(model.activeServer.name, "first")
    }

    function test_connecting_without_a_stored_password_shows_the_error() {
        add("nopass", 8084)
        verify(session.forgetPassword(session.servers().nopass))
        const view = screen(welcomeComponent)
        view.viewModel.connectTo(session.servers().nopass)
        tryCompare(model, "hasError", true)
        verify(!model.isConnecting)
        const alert = findChild(view, "errorAlert")
        tryCompare(alert, "opened", true)
        compare([alert.title, alert.message], ["错误", model.errorMessage])
        mouseClick(findChild(alert, "alertOkButton"))
        tryCompare(model, "hasError", false)
    }
}
