import QtQuick
import "CardStatus.js" as CardStatus

// A large button under the cards: an icon (or progress while loading), a
// title and a subtitle on a tinted face; grey and inert while disabled.
Rectangle {
    id: button
    property string title
    property string subtitle
    property string icon
    property string tone: "blue"
    property bool isLoading: false
    property bool isDisabled: false
    signal action()

    implicitHeight: 84
    activeFocusOnTab: !isDisabled
    Keys.onSpacePressed: if (!button.isDisabled) button.action()
    Keys.onReturnPressed: if (!button.isDisabled) button.action()
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: subtitle
    Accessible.onPressAction: if (!button.isDisabled) button.action()
    radius: 8
    color: CardStatus.tint(Theme.palette, isDisabled ? "grey" : tone, tap.pressed ? 0.25 : 0.15)
    Column {
        anchors.centerIn: parent
        spacing: 4
        Item {
            width: 24
            height: 24
            anchors.horizontalCenter: parent.horizontalCenter
            Spinner {
                objectName: "spinner"
                anchors.fill: parent
                tint: CardStatus.color(Theme.palette, button.tone)
                running: button.isLoading
                visible: button.isLoading
            }
            SymbolIcon {
                anchors.fill: parent
                visible: !button.isLoading
                symbol: button.icon
                size: 24
                color: CardStatus.color(Theme.palette, button.isDisabled ? "grey" : button.tone)
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: button.title
            font.pixelSize: 12
            font.weight: Font.DemiBold
            color: Theme.palette.primaryText
        }
        ElidedText {
            objectName: "subtitle"
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, button.width - 16)
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            text: button.subtitle
            font.pixelSize: 11
            color: Theme.palette.secondaryText
        }
    }
    FocusRing {}
    MouseArea {
        id: tap
        anchors.fill: parent
        enabled: !button.isDisabled
        onClicked: button.action()
    }
}
