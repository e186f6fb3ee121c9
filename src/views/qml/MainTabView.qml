import QtQuick
import QtQuick.Controls
import Seedwhirl

// The welcome screen while the API client is not logged in, the four tabs once it is. When
// the login is lost the whole window returns to the welcome screen.
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

    Component {
        id: tabsComponent
        MainTabs {
            serverViewModel: root.serverViewModel
        }
    }
}
