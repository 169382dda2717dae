import QtQuick

// An overlay scroller as the system draws one: a thin rounded thumb at the
// right edge of `flickable`, shown while it moves or the pointer is over the
// edge, then faded out; dragging it scrolls.
Rectangle {
    id: bar
    required property Flickable flickable
    readonly property bool needed: flickable.visibleArea.heightRatio < 1
    readonly property bool active: flickable.moving || edge.hovered || drag.active

    parent: flickable
    x: flickable.width - width - 2
    y: flickable.visibleArea.yPosition * (flickable.height - 4) + 2
    z: 10
    width: edge.hovered || drag.active ? 9 : 6
    height: Math.max(24, flickable.visibleArea.heightRatio * (flickable.height - 4))
    radius: width / 2
    color: Theme.palette.secondaryText
    visible: needed
    opacity: active ? 0.6 : 0
    Behavior on opacity { NumberAnimation { duration: bar.active ? 100 : 600 } }
    Behavior on width { NumberAnimation { duration: 100 } }

    // The hover area is the whole edge, wider than the thumb.
    Item {
        parent: bar.flickable
        x: bar.flickable.width - 14
        width: 14
        height: bar.flickable.height
        z: 9
        visible: bar.needed
        HoverHandler { id: edge }
    }

    DragHandler {
        id: drag
        target: null
        xAxis.enabled: false
        property real startY: 0
        onActiveChanged: if (active) startY = bar.flickable.contentY
        onTranslationChanged: {
            const track = bar.flickable.height - 4 - bar.height;
            const range = bar.flickable.contentHeight - bar.flickable.height;
            if (track <= 0 || range <= 0) return;
            bar.flickable.contentY = Math.max(0, Math.min(range, startY + translation.y * range / track));
        }
    }
}
