// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Seedwhirl

// A coloured button revealed by swiping a row.
AbstractButton {
    id: action

    property string symbol
    property color tint: Theme.blue

    width: 76
    height: parent ? parent.height : 64
    Accessible.name: text
    // The swiped row takes the presses on its revealed actions and reports a tap through its
    // attached signal; the button's own clicked() would never come.
    SwipeDelegate.onClicked: action.clicked()

    background: Rectangle {
        color: action.down ? Qt.darker(action.tint, 1.2) : action.tint
    }
    contentItem: ColumnLayout {
        spacing: 2
        Item {
            Layout.fillHeight: true
        }
        Icon {
            Layout.alignment: Qt.AlignHCenter
            name: action.symbol
            size: 22
            color: "white"
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: action.text
            color: "white"
            font.pixelSize: 12
        }
        Item {
            Layout.fillHeight: true
        }
    }
}
