import QtQuick
import "CardStatus.js" as CardStatus

// A card of the right column: its icon tinted with the status colour, its
// title, and the caller's content below.
Item {
    id: card
    property string title
    property string icon
    property string status: "blue"
    readonly property color statusColor: CardStatus.color(Theme.palette, status)
    default property alias content: body.data

    implicitHeight: column.implicitHeight + 40

    // A soft shadow without shader effects: two translucent layers.
    Rectangle {
        anchors.fill: face
        anchors.margins: -2
        anchors.topMargin: 1
        anchors.bottomMargin: -4
        radius: face.radius + 2
        color: Theme.palette.cardShadowFar
    }
    Rectangle {
        anchors.fill: face
        anchors.topMargin: 1
        anchors.bottomMargin: -2
        radius: face.radius
        color: Theme.palette.cardShadowNear
    }
    Rectangle {
        id: face
        anchors.fill: parent
        radius: 12
        color: Theme.palette.cardBackground
        border.width: 1
        border.color: CardStatus.tint(Theme.palette, card.status, 0.1)
    }
    Column {
        id: column
        x: 20
        y: 20
        width: card.width - 40
        spacing: 8
        Row {
            spacing: 8
            SymbolIcon {
                symbol: card.icon
                size: 24
                color: card.statusColor
            }
            Text {
                objectName: "cardTitle"
                anchors.verticalCenter: parent.verticalCenter
                text: card.title
                font.pixelSize: 15
                font.weight: Font.DemiBold
                color: Theme.palette.primaryText
            }
        }
        Column {
            id: body
            width: parent.width
            spacing: 6
        }
    }
}
