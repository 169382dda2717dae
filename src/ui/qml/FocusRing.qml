import QtQuick

// The keyboard focus ring around its parent control, as the system draws one:
// an outline just outside the control's edge, only while it has focus.
Rectangle {
    anchors.fill: parent
    anchors.margins: -3
    radius: (parent.radius !== undefined ? parent.radius : 4) + 3
    color: Theme.palette.none
    border.width: 2
    border.color: Theme.palette.focusRing
    visible: parent.activeFocus
}
