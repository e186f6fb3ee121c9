import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

Label {
    color: Material.secondaryTextColor
    font.pixelSize: 13
    wrapMode: Text.Wrap
}
