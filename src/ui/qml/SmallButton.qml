import QtQuick
import "CardStatus.js" as CardStatus

// A compact filled button inside a card; a small progress indicator may
// stand in for its label.
Rectangle {
    id: button
    property string label
    property bool isDisabled: false
    property bool showsProgress: false
    property string tone: "blue"
    signal clicked()

    implicitWidth: Math.max(72, text.implicitWidth + 24)
    implicitHeight: 26
    activeFocusOnTab: !isDisabled
    Keys.onSpacePressed: if (!button.isDisabled) button.clicked()
    Keys.onReturnPressed: if (!button.isDisabled) button.clicked()
    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.onPressAction: if (!button.isDisabled) button.clicked()
    radius: 6
    color: isDisabled ? CardStatus.tint(Theme.palette, "grey", 0.4) : CardStatus.color(Theme.palette, tone)
    opacity: tap.pressed ? 0.8 : 1
    Text {
        id: text
        anchors.centerIn: parent
        visible: !button.showsProgress
        text: button.label
        font.pixelSize: 11
        font.weight: Font.Medium
        color: Theme.palette.onAccent
    }
    Spinner {
        objectName: "spinner"
        anchors.centerIn: parent
        tint: Theme.palette.onAccent
        width: 32
        height: 32
        scale: 0.6
        visible: button.showsProgress
        running: button.showsProgress
    }
    FocusRing {}
    MouseArea {
        id: tap
        anchors.fill: parent
        enabled: !button.isDisabled && !button.showsProgress
        onClicked: button.clicked()
    }
}
