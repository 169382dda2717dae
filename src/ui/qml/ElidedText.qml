import QtQuick

// A text that may be cut short to fit; resting the pointer on it then shows
// all of it in a tool tip above the window's other content.
Text {
    id: label
    readonly property bool showsWholeText: truncated && hover.hovered

    HoverHandler { id: hover }

    Timer {
        id: delay
        interval: 500
        running: label.showsWholeText
        onTriggered: tip.open()
    }
    onShowsWholeTextChanged: if (!showsWholeText) tip.visible = false

    // Drawn on the window's content item, so a clipping parent cannot cut it.
    Rectangle {
        id: tip
        objectName: "wholeText"
        parent: label.Window.window ? label.Window.window.contentItem : label
        visible: false
        z: 1000
        width: Math.min(tipText.implicitWidth + 12, parent ? parent.width - 8 : tipText.implicitWidth + 12)
        height: tipText.implicitHeight + 8
        radius: 4
        color: Theme.palette.cardBackground
        border.width: 1
        border.color: Theme.palette.cardBorder
        Accessible.role: Accessible.ToolTip
        Accessible.name: label.text

        function open() {
            const at = label.mapToItem(parent, 0, label.height + 4);
            x = Math.max(4, Math.min(at.x, parent.width - width - 4));
            y = at.y + height > parent.height ? label.mapToItem(parent, 0, 0).y - height - 4 : at.y;
            visible = true;
        }

        Text {
            id: tipText
            x: 6
            y: 4
            width: tip.width - 12
            text: label.text
            font.pixelSize: 12
            wrapMode: Text.Wrap
            color: Theme.palette.primaryText
        }
    }
}
