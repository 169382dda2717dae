import QtQuick
import "CardStatus.js" as CardStatus

// What AppStatusRow and DiskStatusRow share: a tinted symbol, a name over a
// caption, and a badge on the right.
Item {
    id: row
    property string symbol
    property string name
    property string caption
    property string badge
    property string tone: "green"

    implicitHeight: texts.implicitHeight
    SymbolIcon {
        id: glyph
        anchors.verticalCenter: parent.verticalCenter
        symbol: row.symbol
        color: CardStatus.color(Theme.palette, row.tone)
    }
    Column {
        id: texts
        anchors.left: glyph.right
        anchors.leftMargin: 10
        anchors.right: tag.left
        anchors.rightMargin: 8
        ElidedText {
            width: parent.width
            text: row.name
            elide: Text.ElideRight
            font.pixelSize: 13
            font.weight: Font.Medium
            color: Theme.palette.primaryText
        }
        Text {
            text: row.caption
            font.pixelSize: 11
            color: Theme.palette.secondaryText
        }
    }
    Badge {
        id: tag
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: row.badge
        tone: row.tone
    }
}
