import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Form for a new server profile. The first profile saved becomes the active one.
Page {
    id: root
    objectName: "addServerView"

    required property SettingsViewModel viewModel
    readonly property alias form: form
    property bool isSaving: false

    signal closeRequested()

    header: NavBar {
        title: "添加服务器"
        leading: [
            BarButton {
                objectName: "cancelButton"
                text: "取消"
                onClicked: root.closeRequested()
            }
        ]
        trailing: [
            BarButton {
                objectName: "saveButton"
                text: "保存"
                enabled: form.isValid && !root.isSaving
                onClicked: root.save()
            }
        ]
    }

    Flickable {
        anchors.fill: parent
        contentHeight: form.implicitHeight + 40
        clip: true
        ServerForm {
            id: form
            viewModel: root.viewModel
            x: 16
            y: 20
            width: parent.width - 32
            port: "8080"
            username: "admin"
        }
    }

    function save() {
        const port = Number.parseInt(form.port, 10)
        if (Number.isNaN(port))
            return
        isSaving = true
        viewModel.addServer(form.name, form.host, port, form.username, form.password, form.useHTTPS).then(function (ok) {
            root.isSaving = false
            if (ok)
                root.closeRequested()
        })
    }
}
