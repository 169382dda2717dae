import QtQuick
import "CardStatus.js" as CardStatus

// A connected disk in the left column; a click selects it (or clears the
// selection when it is the selected one, which the model decides).
Rectangle {
    id: card
    property string name
    property string caption
    property string sizeText
    property bool isSelected: false
    property bool isConnected: true
    property string selectionSymbol: "circle"
    property var badges: []
    property bool hasHistory: false
    property string historySummary
    property var historyMarks: []
    property var throughput: []
    property string throughputCaption
    property string historyExportStatus
    signal select()
    signal exportHistory()

    implicitHeight: Math.max(texts.implicitHeight + 24, 64)
    activeFocusOnTab: true
    Keys.onSpacePressed: card.select()
    Keys.onReturnPressed: card.select()
    Accessible.role: Accessible.ListItem
    Accessible.name: name
    Accessible.description: caption + ", " + sizeText + (hasHistory ? ", " + historySummary : "")
    Accessible.checkable: true
    Accessible.checked: isSelected
    Accessible.onPressAction: card.select()
    Accessible.onToggleAction: card.select()
    radius: 16
    color: isSelected ? CardStatus.tint(Theme.palette, "blue", 0.08) : Theme.palette.cardBackground
    border.width: isSelected ? 2 : 1
    border.color: isSelected ? CardStatus.color(Theme.palette, "blue") : Theme.palette.cardBorder

    SymbolIcon {
        id: mark
        objectName: "selectionMark"
        x: 14
        anchors.verticalCenter: parent.verticalCenter
        symbol: card.selectionSymbol
        size: 20
        color: CardStatus.color(Theme.palette, card.isSelected ? "blue" : "grey")
    }
    Rectangle {
        id: dot
        anchors.left: mark.right
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        width: 12
        height: 12
        radius: 6
        color: CardStatus.color(Theme.palette, card.isConnected ? "green" : "red")
    }
    Column {
        id: texts
        anchors.left: dot.right
        anchors.leftMargin: 10
        anchors.right: size.left
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3
        ElidedText {
            objectName: "name"
            width: parent.width
            text: card.name
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            font.pixelSize: 15
            font.weight: Font.Medium
            color: Theme.palette.primaryText
        }
        ElidedText {
            width: parent.width
            text: card.caption
            elide: Text.ElideMiddle
            font.pixelSize: 11
            color: Theme.palette.secondaryText
        }
        ElidedText {
            objectName: "historySummary"
            width: parent.width
            visible: card.hasHistory
            text: card.historySummary
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            font.pixelSize: 11
            color: Theme.palette.secondaryText
        }
        Row {
            spacing: 4
            visible: card.badges.length > 0
            Repeater {
                model: card.badges
                Badge {
                    required property var modelData
                    text: modelData.text
                    tone: modelData.color
                }
            }
        }
        // Made only for the selected card: the others would hold their
        // bars and dots for nothing.
        Loader {
            width: parent.width
            active: card.isSelected && card.hasHistory
            visible: active
            sourceComponent: DiskHistoryStrip {
                objectName: "historyStrip"
                width: parent ? parent.width : 0
                marks: card.historyMarks
                throughput: card.throughput
                caption: card.throughputCaption
                exportStatus: card.historyExportStatus
                onExportRequested: card.exportHistory()
            }
        }
    }
    Text {
        id: size
        anchors.right: parent.right
        anchors.rightMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        text: card.sizeText
        font.pixelSize: 13
        font.weight: Font.Medium
        color: Theme.palette.secondaryText
    }
    FocusRing {}
    MouseArea {
        anchors.fill: parent
        onClicked: card.select()
    }
}
