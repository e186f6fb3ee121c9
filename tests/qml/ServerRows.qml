import QtQuick
import QtQml.Models

// The rows of a SettingsViewModel's server list as objects, so that a test reads what a
// delegate would: set `model` to the view model's `servers`.
Instantiator {
    id: rows

    function ids() {
        return Array.from({ length: count }, (_, row) => objectAt(row).serverId)
    }
    function names() {
        return Array.from({ length: count }, (_, row) => objectAt(row).name)
    }
    function idOf(name) {
        return ids()[names().indexOf(name)] ?? ""
    }

    delegate: QtObject {
        required property string serverId
        required property string name
    }
}
