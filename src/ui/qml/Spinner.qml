import QtQuick
import QtQuick.Controls.Basic
import "CardStatus.js" as CardStatus

// A busy indicator in the theme's colour. The Basic style paints it with the
// palette's "dark" role, which stays black in the dark appearance.
BusyIndicator {
    property color tint: CardStatus.color(Theme.palette, "blue")
    palette.dark: tint
}
