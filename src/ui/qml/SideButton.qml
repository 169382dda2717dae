import QtQuick
import "CardStatus.js" as CardStatus

// A button of the left column: a symbol, or a small progress indicator while
// busy, and a label.
Rectangle {
    id: button
    property string symbol
    property string label
    property bool showsProgress: false
    signal clicked()

    implicitHeight: 34
    activeFocusOnTab: true
    Keys.onSpacePressed: button.clicked()
    Keys.onReturnPressed: button.clicked()
    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.onPressAction: button.clicked()
    radius: 8
    color: tap.pressed ? CardStatus.tint(Theme.palette, "blue", 0.25) : CardStatus.tint(Theme.palette, "blue", 0.12)
    Row {
        anchors.centerIn: parent
        spacing: 6
        Item {
            width: 18
            height: 18
            anchors.verticalCenter: parent.verticalCenter
            Spinner {
                objectName: "spinner"
                anchors.centerIn: parent
                width: 30
                height: 30
                scale: 0.6
                running: button.showsProgress
                visible: button.showsProgress
            }
            SymbolIcon {
                anchors.centerIn: parent
                visible: !button.showsProgress
                symbol: button.symbol
                size: 18
                color: CardStatus.color(Theme.palette, "blue")
            }
        }
        Text {
            objectName: "label"
            anchors.verticalCenter: parent.verticalCenter
            text: button.label
            font.pixelSize: 13
            font.weight: Font.Medium
            color: CardStatus.color(Theme.palette, "blue")
        }
    }
    FocusRing {}
    MouseArea {
        id: tap
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
