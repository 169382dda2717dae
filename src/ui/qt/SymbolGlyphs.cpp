#include "ui/qt/SymbolGlyphs.h"

#include <QFontDatabase>

namespace velmora {

const std::vector<std::pair<std::string_view, char32_t>>& symbolGlyphTable() {
    static const std::vector<std::pair<std::string_view, char32_t>> table = {
        {"externaldrive", 0xe1e0},                     // usb
        {"externaldrive.fill", 0xe1e0},                // usb
        {"externaldrive.badge.questionmark", 0xe4fa},  // usb_off
        {"internaldrive", 0xe1db},                     // storage
        {"lock.shield", 0xe897},                       // lock
        {"shield.checkerboard", 0xe32a},               // security
        {"bolt.shield.fill", 0xe932},                  // offline_bolt
        {"bolt.shield", 0xe9e0},                       // shield
        {"checkmark.shield", 0xe8e8},                  // verified_user
        {"shield.lefthalf.filled", 0xe9e0},            // shield
        {"checkmark.circle.fill", 0xe86c},             // check_circle
        {"circle", 0xe836},                            // radio_button_unchecked
        {"cpu.fill", 0xe322},                          // memory
        {"cpu", 0xe322},                               // memory: a chip, as the controllers are
        {"moon.zzz", 0xef44},                          // bedtime
        {"bolt.fill", 0xea0b},                         // bolt
        {"bolt.circle.fill", 0xe932},                  // offline_bolt
        {"cable.connector", 0xefe6},                   // cable
        {"app.badge.checkmark", 0xef40},               // app_registration
        {"power.circle.fill", 0xe8ac},                 // power_settings_new
        {"play.circle", 0xe039},                       // play_circle_outline
        {"arrow.clockwise", 0xe5d5},                   // refresh
        {"globe", 0xe894},                             // language
        {"exclamationmark.triangle.fill", 0xe002},     // warning
    };
    return table;
}

QString SymbolGlyphs::fontFamily() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/velmora/MaterialIconsSubset.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("Material Icons") : families.first();
    }();
    return family;
}

namespace {

const char32_t* codePointOf(std::string_view name) {
    for (const auto& [symbol, point] : symbolGlyphTable())
        if (symbol == name) return &point;
    return nullptr;
}

}  // namespace

bool SymbolGlyphs::knows(std::string_view name) {
    return codePointOf(name) != nullptr;
}

QString SymbolGlyphs::glyph(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    const char32_t* found = codePointOf(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    const char32_t code = found ? *found : 0xe887;  // help
    return QString::fromUcs4(&code, 1);
}

}  // namespace velmora
