// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// One torrent of a list. Swiping (where `swipeEnabled`) reveals delete and pause or resume;
// pressing and holding, or a right click, asks for the context menu at that point.
SwipeDelegate {
    id: row

    required property int index
    required property string hash
    required property string torrentState // raw state
    required property string name
    required property string sizeText
    required property real progress
    required property string progressText
    required property real dlspeed
    required property string dlspeedText
    required property real upspeed
    required property string upspeedText
    required property string ratioText
    required property real eta
    required property string etaText
    required property string stateIcon
    required property string stateName
    required property bool isPaused
    required property list<string> tagList
    required property bool isSelected
    property bool swipeEnabled: true
    // In the selection mode a tap toggles the row (the owner decides) and nothing swipes.
    property bool selecting: false
    // The figures in aligned columns (a wide list), and whether this is the torrent shown beside
    // the list.
    property bool columns: false
    property bool current: false
    // The list's keyboard focus is on this row.
    property bool focusRing: false

    signal openRequested()
    signal deleteRequested()
    signal pauseRequested()
    signal resumeRequested()
    signal contextMenuRequested(point at)

    swipe.enabled: swipeEnabled && !selecting
    onClicked: {
        if (menuPress)
            menuPress = false
        else
            openRequested()
    }
    onPressAndHold: contextMenuRequested(Qt.point(pressX, pressY))
    topPadding: 10
    bottomPadding: 10
    leftPadding: 16
    rightPadding: 16

    // Every press of a mouse passes here before the row sees it; the row takes a right one for
    // a click too, which only the menu may answer.
    property bool menuPress: false
    TapHandler {
        acceptedDevices: PointerDevice.Mouse | PointerDevice.TouchPad
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onPressedChanged: if (pressed) row.menuPress = (point.pressedButtons & Qt.RightButton) !== 0
        onTapped: eventPoint => {
            if (row.menuPress)
                row.contextMenuRequested(eventPoint.position)
        }
    }

    background: Rectangle {
        color: row.down ? row.Material.rippleColor
                        : (row.selecting && row.isSelected) || row.current ? Qt.rgba(Theme.blue.r, Theme.blue.g, Theme.blue.b, 0.12)
                        : "transparent"
        Rectangle {
            objectName: "focusRing"
            visible: row.focusRing
            anchors.fill: parent
            anchors.margins: 2
            radius: 4
            color: "transparent"
            border.width: 2
            border.color: row.Material.theme === Material.Dark ? Theme.focusRingDark : Theme.focusRingLight
        }
    }

    contentItem: RowLayout {
        spacing: 12

        Icon {
            objectName: "selectionMark"
            visible: row.selecting
            Layout.alignment: Qt.AlignVCenter
            name: row.isSelected ? "checkmark.circle.fill" : "circle"
            size: 24
            color: row.isSelected ? Theme.blue : row.Material.hintTextColor
        }

        Icon {
            objectName: "stateIcon"
            Layout.alignment: row.columns ? Qt.AlignVCenter : Qt.AlignTop
            Layout.preferredWidth: 24
            Layout.preferredHeight: 24
            name: row.stateIcon
            size: 24
            color: Theme.stateColor(row.torrentState) ?? row.Material.secondaryTextColor
        }

        // The wide row: one line of aligned figures, made only for a wide list (a phone's rows
        // would pay for it on every delegate while flicking).
        Loader {
            Layout.fillWidth: true
            active: row.columns
            visible: active
            sourceComponent: Component {
                RowLayout {
                    objectName: "columnsRow"
                    spacing: 8
                    Label {
                        Layout.fillWidth: true
                        text: row.name
                        font.pixelSize: 14
                        font.weight: Font.DemiBold
                        elide: Text.ElideMiddle
                    }
                    Label {
                        Layout.preferredWidth: Theme.sizeColumn
                        Layout.maximumWidth: Theme.sizeColumn
                        Layout.minimumWidth: Theme.sizeColumn
                        horizontalAlignment: Text.AlignRight
                        text: row.sizeText
                        font.pixelSize: 13
                    }
                    RowLayout {
                        Layout.preferredWidth: Theme.progressColumn
                        Layout.maximumWidth: Theme.progressColumn
                        Layout.minimumWidth: Theme.progressColumn
                        spacing: 6
                        ProgressBar {
                            Layout.fillWidth: true
                            from: 0
                            to: 1
                            value: row.progress
                            Material.accent: row.progress >= 1 ? Theme.green : Theme.blue
                        }
                        Label {
                            Layout.preferredWidth: 48
                            horizontalAlignment: Text.AlignRight
                            text: row.progressText
                            font.pixelSize: 12
                            color: row.progress >= 1 ? Theme.green : Theme.blue
                        }
                    }
                    Label {
                        Layout.preferredWidth: Theme.speedColumn
                        Layout.maximumWidth: Theme.speedColumn
                        Layout.minimumWidth: Theme.speedColumn
                        horizontalAlignment: Text.AlignRight
                        text: row.dlspeed >= 1 ? row.dlspeedText : "—"
                        font.pixelSize: 13
                        color: row.dlspeed >= 1 ? Theme.cyan : row.Material.hintTextColor
                    }
                    Label {
                        Layout.preferredWidth: Theme.speedColumn
                        Layout.maximumWidth: Theme.speedColumn
                        Layout.minimumWidth: Theme.speedColumn
                        horizontalAlignment: Text.AlignRight
                        text: row.upspeed >= 1 ? row.upspeedText : "—"
                        font.pixelSize: 13
                        color: row.upspeed >= 1 ? Theme.blue : row.Material.hintTextColor
                    }
                    Label {
                        Layout.preferredWidth: Theme.ratioColumn
                        Layout.maximumWidth: Theme.ratioColumn
                        Layout.minimumWidth: Theme.ratioColumn
                        horizontalAlignment: Text.AlignRight
                        text: row.ratioText
                        font.pixelSize: 13
                    }
                    Label {
                        Layout.preferredWidth: Theme.stateColumn
                        Layout.maximumWidth: Theme.stateColumn
                        Layout.minimumWidth: Theme.stateColumn
                        horizontalAlignment: Text.AlignRight
                        text: row.stateName
                        font.pixelSize: 12
                        elide: Text.ElideRight
                        color: Theme.stateColor(row.torrentState) ?? row.Material.secondaryTextColor
                    }
                }
            }
        }

        ColumnLayout {
            visible: !row.columns
            Layout.fillWidth: true
            spacing: 4

            Label {
                objectName: "torrentName"
                Layout.fillWidth: true
                text: row.name
                font.pixelSize: 15
                font.weight: Font.DemiBold
                elide: Text.ElideMiddle
            }

            Flow {
                Layout.fillWidth: true
                visible: row.tagList.length > 0
                spacing: 6
                Repeater {
                    model: row.tagList
                    delegate: Label {
                        required property string modelData
                        text: modelData
                        font.pixelSize: 11
                        color: Theme.purple
                    }
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                SecondaryLabel {
                    text: row.sizeText
                    font.pixelSize: 12
                    wrapMode: Text.NoWrap
                }
                ProgressBar {
                    objectName: "progressBar"
                    Layout.fillWidth: true
                    from: 0
                    to: 1
                    value: row.progress
                    Material.accent: row.progress >= 1 ? Theme.green : Theme.blue
                }
                Label {
                    objectName: "progressText"
                    text: row.progressText
                    font.pixelSize: 12
                    color: row.progress >= 1 ? Theme.green : Theme.blue
                }
            }

            Flow {
                Layout.fillWidth: true
                spacing: 12
                StatItem {
                    objectName: "downloadFigure"
                    visible: row.dlspeed >= 1
                    icon: "arrow.down.circle.fill"
                    color: Theme.cyan
                    value: row.dlspeedText
                }
                StatItem {
                    objectName: "uploadFigure"
                    visible: row.upspeed >= 1
                    icon: "arrow.up.circle.fill"
                    color: Theme.blue
                    value: row.upspeedText
                }
                StatItem {
                    objectName: "ratioFigure"
                    icon: "chart.line.uptrend.xyaxis"
                    color: Theme.orange
                    value: row.ratioText
                }
                StatItem {
                    objectName: "etaFigure"
                    visible: row.progress < 1 && row.eta >= 1
                    icon: "clock.fill"
                    color: row.Material.secondaryTextColor
                    value: row.etaText
                }
            }
        }
    }

    swipe.right: Row {
        anchors.right: parent.right
        height: parent.height
        SwipeAction {
            objectName: "swipePauseResume"
            symbol: row.isPaused ? "play.fill" : "pause.fill"
            tint: row.isPaused ? Theme.green : Theme.orange
            text: row.isPaused ? qsTr("开始") : qsTr("暂停")
            onClicked: {
                row.swipe.close()
                if (row.isPaused)
                    row.resumeRequested()
                else
                    row.pauseRequested()
            }
        }
        SwipeAction {
            objectName: "swipeDelete"
            symbol: "trash"
            tint: Theme.red
            text: qsTr("删除")
            onClicked: {
                row.swipe.close()
                row.deleteRequested()
            }
        }
    }
}
