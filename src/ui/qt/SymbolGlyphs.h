#pragma once
// The Mac's system-symbol names the window uses, drawn with a glyph of the
// Material Icons font that the window carries in its resources (cut to these
// glyphs), so no host needs the font installed. QML asks `glyph(name)` and
// draws the answer in `fontFamily`.
#include <QObject>
#include <QString>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// Symbol name → code point in the Material Icons font.
const std::vector<std::pair<std::string_view, char32_t>>& symbolGlyphTable();

class SymbolGlyphs : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)
public:
    using QObject::QObject;
    // Loads the font from the resources on first use (a GUI application must exist).
    static QString fontFamily();
    // Whether the name has a glyph of its own rather than the fallback.
    static bool knows(std::string_view name);
    // An unknown name draws a question mark in a circle rather than nothing.
    Q_INVOKABLE static QString glyph(const QString& name);
};

}  // namespace velmora
