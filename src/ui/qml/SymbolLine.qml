import QtQuick
import "CardStatus.js" as CardStatus

// A symbol and a text on one line.
Row {
    property string symbol
    property string text
    property color symbolColor: CardStatus.color(Theme.palette, "blue")
    property color textColor: Theme.palette.primaryText
    property bool medium: false

    spacing: 8
    SymbolIcon {
        symbol: parent.symbol
        color: parent.symbolColor
        anchors.verticalCenter: parent.verticalCenter
    }
    Text {
        text: parent.text
        color: parent.textColor
        font.pixelSize: 13
        font.weight: parent.medium ? Font.Medium : Font.Normal
        anchors.verticalCenter: parent.verticalCenter
    }
}
