import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Product information.
Page {
    id: root
    objectName: "aboutView"

    signal closeRequested()

    header: NavBar {
        title: "关于"
        trailing: [
            BarButton {
                objectName: "closeButton"
                symbol: "xmark"
                Accessible.name: "关闭"
                onClicked: root.closeRequested()
            }
        ]
    }

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 48
        spacing: 12

        // The application icon; the build ships none, so a drawn placeholder stands in.
        Rectangle {
            objectName: "iconPlaceholder"
            Layout.alignment: Qt.AlignHCenter
            width: 96
            height: 96
            radius: 22
            gradient: Gradient {
                GradientStop {
                    position: 0
                    color: "#42A5F5"
                }
                GradientStop {
                    position: 1
                    color: "#00ACC1"
                }
            }
            Icon {
                anchors.centerIn: parent
                name: "arrow.down.circle.fill"
                size: 56
                color: "white"
            }
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: "Seedwhirl"
            font.pixelSize: 32
            font.bold: true
        }
        SecondaryLabel {
            objectName: "versionText"
            Layout.alignment: Qt.AlignHCenter
            text: "版本 " + Format.appVersion()
            font.pixelSize: 15
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: "简约而不简单"
            font.pixelSize: 16
        }
    }

    footer: ColumnLayout {
        spacing: 4
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: "Made with ❤️ by the Seedwhirl contributors"
            font.pixelSize: 12
            color: root.Material.secondaryTextColor
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: 24
            text: "© " + new Date().getFullYear() + " Seedwhirl"
            font.pixelSize: 12
            color: root.Material.secondaryTextColor
        }
    }
}
