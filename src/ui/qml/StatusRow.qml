import QtQuick
import "CardStatus.js" as CardStatus

// An icon and a text on the left, a status on the right: green while active,
// grey otherwise.
Item {
    id: row
    property string icon
    property string text
    property string status
    property bool isActive: false
    readonly property color tone: CardStatus.color(Theme.palette, isActive ? "green" : "grey")

    implicitHeight: 20
    SymbolIcon {
        id: glyph
        anchors.verticalCenter: parent.verticalCenter
        symbol: row.icon
        color: row.tone
    }
    Text {
        anchors.left: glyph.right
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        text: row.text
        font.pixelSize: 13
        color: Theme.palette.primaryText
    }
    Text {
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: row.status
        font.pixelSize: 13
        font.weight: Font.Medium
        color: row.tone
    }
}
