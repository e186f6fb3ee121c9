import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// Form for an existing profile; the stored password stays unless a new one is entered.
Page {
    id: root
    objectName: "editServerView"

    required property SettingsViewModel viewModel
    property serverProfile server
    readonly property alias form: form

    signal closeRequested()

    onServerChanged: {
        if (!server.valid)
            return
        form.name = server.name
        form.host = server.host
        form.port = String(server.port)
        form.username = server.username
        form.useHTTPS = server.useHTTPS
    }

    header: NavBar {
        title: "编辑服务器"
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
                enabled: form.isValid && root.server.valid
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
            optionalPassword: true
            x: 16
            y: 20
            width: parent.width - 32
        }
    }

    function save() {
        const port = Number.parseInt(form.port, 10)
        if (Number.isNaN(port))
            return
        // A hidden password field never changes the stored password.
        const password = form.showPasswordField && form.password !== "" ? form.password : undefined
        viewModel.update(server.serverId, form.name, form.host, port, form.username, form.useHTTPS, password)
        closeRequested()
    }
}
