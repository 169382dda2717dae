import QtQuick
import "CardStatus.js" as CardStatus

// A disk's last 7 days: a line with a dot for each connect, disconnect and
// enumeration failure, and under it one bar per four hours of throughput.
// Plain rectangles: no chart module, a few dozen items at most.
Column {
    id: strip
    property var marks: []
    property var throughput: []
    property string caption
    property string exportStatus
    signal exportRequested()
    spacing: 4

    Item {
        objectName: "historyTimeline"
        width: strip.width
        height: 10
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width
            height: 1
            color: Theme.palette.cardBorder
        }
        Repeater {
            model: strip.marks
            Rectangle {
                required property var modelData
                x: Math.max(0, Math.min(strip.width - width, modelData.position * strip.width - width / 2))
                anchors.verticalCenter: parent.verticalCenter
                width: 8
                height: 8
                radius: 4
                color: CardStatus.color(Theme.palette, modelData.tone)
            }
        }
    }
    Row {
        objectName: "throughputSparkline"
        width: strip.width
        height: 18
        visible: strip.caption.length > 0
        Repeater {
            model: strip.throughput
            Item {
                required property var modelData
                width: strip.width / Math.max(1, strip.throughput.length)
                height: 18
                Rectangle {
                    visible: modelData >= 0
                    anchors.bottom: parent.bottom
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: Math.max(1, parent.width - 1)
                    height: Math.max(2, modelData * parent.height)
                    color: CardStatus.color(Theme.palette, "blue")
                }
            }
        }
    }
    Row {
        width: strip.width
        Text {
            width: strip.width / 2
            text: "7 days"
            font.pixelSize: 10
            color: Theme.palette.secondaryText
        }
        Text {
            width: strip.width / 2
            horizontalAlignment: Text.AlignRight
            text: strip.caption
            font.pixelSize: 10
            color: Theme.palette.secondaryText
        }
    }
    Row {
        width: strip.width
        spacing: 6
        SmallButton {
            id: exportButton
            objectName: "exportHistory"
            label: "Export History"
            onClicked: strip.exportRequested()
        }
        ElidedText {
            width: strip.width - exportButton.width - 6
            anchors.verticalCenter: exportButton.verticalCenter
            text: strip.exportStatus
            elide: Text.ElideMiddle
            font.pixelSize: 10
            color: Theme.palette.secondaryText
        }
    }
}
