// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Templates as T

// A menu, dialog or sheet made the first time it is wanted, as a child of `owner`, and kept
// from then on. A screen holds several that most visits never open; made with the screen,
// each would add milliseconds to its first frame.
QtObject {
    id: lazy

    required property Item owner
    required property Component component
    property T.Popup made: null

    function get(): T.Popup {
        if (!lazy.made)
            lazy.made = lazy.component.createObject(lazy.owner) as T.Popup
        return lazy.made
    }
}
