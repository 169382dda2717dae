#pragma once
// The Mac's system-symbol names the window uses, drawn on other hosts with a
// glyph of the Material Icons font. QML asks `glyph(name)` and draws the
// answer in `fontFamily`.
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
    static QString fontFamily() { return QStringLiteral("Material Icons"); }
    // An unknown name draws a question mark in a circle rather than nothing.
    Q_INVOKABLE static QString glyph(const QString& name);
};

}  // namespace velmora
