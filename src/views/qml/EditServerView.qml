import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import Seedwhirl

// Form for an existing profile; every saved secret stays unless a new one is entered.
Page {
    id: root
    objectName: "editServerView"

    required property SettingsViewModel viewModel
    property serverProfile server
    readonly property alias form: form

    signal closeRequested()

    // The profile may come before or after the form's model has its settings model.
    onServerChanged: if (server.valid) form.model.load(server.serverId)
    Component.onCompleted: if (server.valid) form.model.load(server.serverId)

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
                enabled: form.model.canSave && form.model.isEditing
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
        }
    }

    // A failed update stays open; the server list shows its error.
    function save() {
        form.model.save().then(function (saved) {
            if (saved)
                root.closeRequested()
        })
    }
}
