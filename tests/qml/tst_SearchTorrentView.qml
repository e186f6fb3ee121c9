// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtTest
import Seedwhirl

// Over the shared client, which is not connected: the screen's own load fails at once.
ScreenTestCase {
    id: testCase
    name: "SearchTorrentView"

    Component {
        id: modelComponent
        TorrentListViewModel {}
    }
    Component {
        id: pageComponent
        SearchTorrentView {}
    }

    function test_prompt_no_results_and_results() {
        const model = createTemporaryObject(modelComponent, testCase)
        const page = stackedScreen(pageComponent, { viewModel: model }).currentItem
        tryCompare(model, "isLoading", false)
        compare(page.contentState, "prompt")
        verify(findChild(page, "promptState").visible)
        page.searchText = "SAMPLE"
        compare(page.contentState, "none")
        session.applyFixture(model, "maindata-full.json")
        compare(page.contentState, "results")
        compare(findChild(page, "resultCount").text, "找到 1 个结果")
    }
}
