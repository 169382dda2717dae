import QtQuick

// A system symbol by name, drawn with the icon font's glyph for it.
Text {
    property string symbol
    property real size: 16

    text: Symbols.glyph(symbol)
    font.family: Symbols.fontFamily
    font.pixelSize: size
    width: size
    height: size
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
