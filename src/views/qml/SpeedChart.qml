// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Shapes
import Seedwhirl

// The download and upload rates of the last ten minutes as two lines over a light grid: the
// peak rate labels the top line, the time runs from "10 分钟前" to "现在".
Item {
    id: chart

    // Points: x in seconds before the newest sample (0 to -600), y in bytes per second.
    property var download: []
    property var upload: []
    property real peak: 1
    readonly property real span: 600
    readonly property real plotLeft: 0
    readonly property real plotTop: 20
    readonly property real plotWidth: width
    readonly property real plotHeight: height - plotTop - 20
    // A little above the peak, so that the line never touches the top.
    readonly property real ceiling: peak * 1.15

    implicitHeight: 170

    function polyline(points) {
        const line = []
        for (const p of points)
            line.push(Qt.point(plotLeft + plotWidth * (1 + p.x / span), plotTop + plotHeight * (1 - p.y / ceiling)))
        return line
    }

    Repeater {
        model: 4
        delegate: Rectangle {
            required property int index
            x: chart.plotLeft
            y: chart.plotTop + chart.plotHeight * index / 3
            width: chart.plotWidth
            height: 1
            color: chart.Material.dividerColor
        }
    }

    Shape {
        anchors.fill: parent
        ShapePath {
            strokeColor: Theme.cyan
            strokeWidth: 2
            fillColor: "transparent"
            joinStyle: ShapePath.RoundJoin
            PathPolyline {
                path: chart.polyline(chart.download)
            }
        }
        ShapePath {
            strokeColor: Theme.blue
            strokeWidth: 2
            fillColor: "transparent"
            joinStyle: ShapePath.RoundJoin
            PathPolyline {
                path: chart.polyline(chart.upload)
            }
        }
    }

    Label {
        objectName: "peakLabel"
        anchors.left: parent.left
        anchors.top: parent.top
        text: Format.formatRate(chart.ceiling)
        font.pixelSize: 11
        color: chart.Material.secondaryTextColor
    }
    Row {
        anchors.right: parent.right
        anchors.top: parent.top
        spacing: 12
        Repeater {
            model: [[qsTr("下载"), Theme.cyan], [qsTr("上传"), Theme.blue]]
            delegate: Row {
                required property var modelData
                spacing: 4
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 10
                    height: 3
                    radius: 1.5
                    color: modelData[1]
                }
                Label {
                    text: modelData[0]
                    font.pixelSize: 11
                    color: chart.Material.secondaryTextColor
                }
            }
        }
    }
    Label {
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        text: qsTr("10 分钟前")
        font.pixelSize: 11
        color: chart.Material.secondaryTextColor
    }
    Label {
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        text: qsTr("现在")
        font.pixelSize: 11
        color: chart.Material.secondaryTextColor
    }
    SecondaryLabel {
        objectName: "chartEmpty"
        anchors.centerIn: parent
        visible: chart.download.length < 2
        text: qsTr("正在收集数据…")
    }
}
