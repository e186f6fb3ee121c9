import QtQuick
import QtQuick.Controls
import Seedwhirl

// The welcome screen while the API client is not logged in, the four tabs once it is. When
// the login is lost the whole window returns to the welcome screen. A server certificate the
// client refused is asked about over either.
Item {
    id: root

    // Made once for the view's lifetime and handed to every server screen.
    property SettingsViewModel serverViewModel: SettingsViewModel {}
    property bool isAuthenticated: ApiClient.isAuthenticated
    readonly property Item currentScreen: loader.item as Item

    Loader {
        id: loader
        anchors.fill: parent
        sourceComponent: root.isAuthenticated ? tabsComponent : welcomeComponent
    }

    Component {
        id: welcomeComponent
        WelcomeView {
            viewModel: root.serverViewModel
        }
    }

    TrustSheet {
        objectName: "trustSheet"
        prompt: root.serverViewModel.certificatePrompt
        onTrusted: root.serverViewModel.trustCertificate()
        onCancelled: root.serverViewModel.dismissCertificatePrompt()
    }

    Component {
        id: tabsComponent
        MainTabs {
            serverViewModel: root.serverViewModel
        }
    }
}
