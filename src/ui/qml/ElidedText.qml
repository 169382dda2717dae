import QtQuick
import QtQuick.Controls.Basic

// A text that may be cut short to fit; hovering it then shows all of it.
Text {
    id: label
    readonly property bool showsWholeText: truncated && hover.hovered

    HoverHandler { id: hover }
    ToolTip.visible: showsWholeText
    ToolTip.text: text
    ToolTip.delay: 500
}
