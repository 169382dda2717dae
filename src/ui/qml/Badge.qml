import QtQuick
import "CardStatus.js" as CardStatus

// A small caption on a tinted rounded background.
Rectangle {
    property string text
    property string tone: "blue"

    implicitWidth: label.implicitWidth + 12
    implicitHeight: label.implicitHeight + 4
    radius: 5
    color: CardStatus.tint(Theme.palette, tone, 0.15)
    Text {
        id: label
        anchors.centerIn: parent
        text: parent.text
        font.pixelSize: 11
        color: CardStatus.color(Theme.palette, parent.tone)
    }
}
