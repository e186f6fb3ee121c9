// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

pragma Singleton
import QtQuick
import Seedwhirl

// Colours and the icon font shared by every screen. The named colours read well on both the
// light and the dark Material theme.
QtObject {
    readonly property color blue: "#2196F3"
    readonly property color green: "#43A047"
    readonly property color orange: "#FB8C00"
    readonly property color purple: "#8E24AA"
    readonly property color cyan: "#00ACC1"
    readonly property color yellow: "#FDD835"
    readonly property color red: "#E53935"
    readonly property color gray: "#9E9E9E"
    // The keyboard's focus ring, at least 3:1 against the background of its theme (light
    // #FAFAFA: 4.4:1, dark #303030: 6.0:1) and against a highlighted row's tint.
    readonly property color focusRingLight: "#1976D2"
    readonly property color focusRingDark: "#64B5F6"

    // Past this width the tabs move to a side rail and sheets become centred cards.
    readonly property int wideWidth: 700
    // From this width the torrent list shows its rows in columns with the selected torrent's
    // detail beside it, and the statistics cards stand in two columns.
    readonly property int splitWidth: 900
    // The columns of a torrent row and of the list's header in the split layout.
    readonly property int sizeColumn: 80
    readonly property int progressColumn: 112
    readonly property int speedColumn: 80
    readonly property int ratioColumn: 48
    readonly property int stateColumn: 64

    readonly property FontLoader iconFont: FontLoader {
        source: Icons.fontSource
    }
    readonly property string iconFontFamily: iconFont.name

    // Colour of a torrent's state symbol, by the state's raw value; undefined for "unknown",
    // which takes the secondary text colour of its row.
    function stateColor(state) {
        switch (state) {
        case "downloading":
        case "metaDL":
        case "forcedDL":
        case "forcedMetaDL":
            return blue
        case "uploading":
        case "forcedUP":
            return green
        case "pausedDL":
        case "pausedUP":
        case "stoppedDL":
        case "stoppedUP":
            return gray
        case "stalledDL":
        case "stalledUP":
            return orange
        case "checkingDL":
        case "checkingUP":
        case "checkingResumeData":
            return purple
        case "queuedDL":
        case "queuedUP":
            return cyan
        case "allocating":
        case "moving":
            return yellow
        case "missingFiles":
        case "error":
            return red
        default:
            return undefined
        }
    }
}
