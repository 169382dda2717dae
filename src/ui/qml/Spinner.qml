import QtQuick
import "CardStatus.js" as CardStatus

// The system's progress spinner: twelve spokes fading round in the theme's
// colour, turning while `running`. Drawn here rather than taken from a
// controls style, so the window loads no style for one small control.
Item {
    id: spinner
    property color tint: CardStatus.color(Theme.palette, "blue")
    property bool running: true
    implicitWidth: 48
    implicitHeight: 48
    Accessible.role: Accessible.Indicator

    Item {
        id: spokes
        readonly property real size: Math.min(spinner.width, spinner.height)
        anchors.centerIn: parent
        width: size
        height: size
        Repeater {
            model: 12
            Rectangle {
                required property int index
                x: (spokes.size - width) / 2
                y: spokes.size * 0.06
                width: Math.max(2, spokes.size * 0.09)
                height: spokes.size * 0.28
                radius: width / 2
                color: spinner.tint
                opacity: 0.2 + 0.8 * (index / 11)
                transform: Rotation {
                    origin.x: width / 2
                    origin.y: spokes.size / 2 - y
                    angle: index * 30
                }
            }
        }
        RotationAnimator on rotation {
            running: spinner.running && spinner.visible
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
        }
    }
}
