import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material
import QtQuick.Layouts
import Seedwhirl

// The fields shared by the add and edit forms, the connection test and its result line. The
// password row differs: the add form always shows "密码"; the edit form reveals "新密码" behind
// the "修改密码" toggle.
ColumnLayout {
    id: form

    required property SettingsViewModel viewModel
    property alias name: nameField.text
    property alias host: hostField.text
    property alias port: portField.text
    property alias username: usernameField.text
    property alias password: passwordField.text
    property alias useHTTPS: httpsSwitch.checked
    property bool optionalPassword: false
    property alias showPasswordField: changePasswordSwitch.checked
    property bool isTesting: false
    property bool hasTestResult: false // false until the first test answered
    property bool testSucceeded: false
    property string testError

    readonly property bool portValid: viewModel.isValidPort(port)
    readonly property bool isValid: name !== "" && host !== "" && port !== "" && username !== "" && portValid
                                    && (optionalPassword || password !== "")

    spacing: 20

    FormSection {
        Layout.fillWidth: true
        title: "服务器信息"
        TextField {
            id: nameField
            objectName: "nameField"
            Layout.fillWidth: true
            placeholderText: "名称"
            selectByMouse: true
        }
        TextField {
            id: hostField
            objectName: "hostField"
            Layout.fillWidth: true
            placeholderText: "主机"
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhUrlCharactersOnly
            selectByMouse: true
        }
        TextField {
            id: portField
            objectName: "portField"
            Layout.fillWidth: true
            placeholderText: "端口"
            inputMethodHints: Qt.ImhDigitsOnly
            selectByMouse: true
        }
        Label {
            objectName: "portCaption"
            visible: form.port !== "" && !form.portValid
            Layout.fillWidth: true
            Layout.bottomMargin: 6
            text: "端口号必须在 1-65535 之间"
            color: Theme.red
            font.pixelSize: 12
        }
    }

    FormSection {
        Layout.fillWidth: true
        title: "认证"
        TextField {
            id: usernameField
            objectName: "usernameField"
            Layout.fillWidth: true
            placeholderText: "用户名"
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
            selectByMouse: true
        }
        Switch {
            id: changePasswordSwitch
            objectName: "changePasswordSwitch"
            visible: form.optionalPassword
            Layout.fillWidth: true
            text: "修改密码"
        }
        TextField {
            id: passwordField
            objectName: "passwordField"
            visible: !form.optionalPassword || form.showPasswordField
            Layout.fillWidth: true
            placeholderText: form.optionalPassword ? "新密码" : "密码"
            echoMode: TextInput.Password
            inputMethodHints: Qt.ImhSensitiveData | Qt.ImhNoPredictiveText | Qt.ImhNoAutoUppercase
            selectByMouse: true
        }
        Switch {
            id: httpsSwitch
            objectName: "httpsSwitch"
            Layout.fillWidth: true
            text: "使用 HTTPS"
        }
    }

    FormSection {
        Layout.fillWidth: true
        Button {
            id: testButton
            objectName: "testButton"
            Layout.fillWidth: true
            flat: true
            enabled: !form.isTesting && form.isValid
            onClicked: form.runTest()
            contentItem: RowLayout {
                spacing: 8
                Item {
                    Layout.fillWidth: true
                }
                BusyIndicator {
                    visible: form.isTesting
                    running: form.isTesting
                    implicitWidth: 24
                    implicitHeight: 24
                }
                Label {
                    text: "测试连接"
                    color: testButton.enabled ? Theme.blue : form.Material.hintTextColor
                    font.pixelSize: 16
                }
                Item {
                    Layout.fillWidth: true
                }
            }
        }
        RowLayout {
            objectName: "testResultLine"
            visible: form.hasTestResult
            Layout.fillWidth: true
            Layout.bottomMargin: 8
            spacing: 6
            Icon {
                name: form.testSucceeded ? "checkmark.circle.fill" : "xmark.circle.fill"
                color: form.testSucceeded ? Theme.green : Theme.red
            }
            Label {
                objectName: "testResultText"
                Layout.fillWidth: true
                text: form.testSucceeded ? "✓ 连接成功" : form.testError
                color: form.testSucceeded ? Theme.green : Theme.red
                wrapMode: Text.Wrap
            }
        }
    }

    function runTest() {
        isTesting = true
        hasTestResult = false
        const task = viewModel.test(name, host, Number.parseInt(port, 10), username, password, useHTTPS)
        task.then(function (result) {
            form.testSucceeded = result.success
            form.testError = result.error
            form.hasTestResult = true
            form.isTesting = false
        })
    }
}
