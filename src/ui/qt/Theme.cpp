#include "ui/qt/Theme.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QStyleHints>
#include <optional>

namespace velmora {

namespace {

// VELMORA_APPEARANCE's word, when it has one.
std::optional<bool> fixedDark() {
    const QByteArray fixed = qgetenv("VELMORA_APPEARANCE");
    if (fixed == "dark") return true;
    if (fixed == "light") return false;
    return std::nullopt;
}

bool systemIsDark() {
    if (const auto fixed = fixedDark()) return *fixed;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    if (const auto scheme = QGuiApplication::styleHints()->colorScheme(); scheme != Qt::ColorScheme::Unknown)
        return scheme == Qt::ColorScheme::Dark;
#endif
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QVariantMap named(const ThemePalette& p) {
    QVariantMap map;
    const std::pair<const char*, Rgba> entries[] = {
        {"windowBackground", p.windowBackground}, {"cardBackground", p.cardBackground},
        {"cardBorder", p.cardBorder},             {"cardShadowFar", p.cardShadowFar},
        {"cardShadowNear", p.cardShadowNear},     {"headerOverlay", p.headerOverlay},
        {"primaryText", p.primaryText},           {"secondaryText", p.secondaryText},
        {"onAccent", p.onAccent},                 {"focusRing", p.focusRing},
        {"none", p.none},                         {"green", p.green},
        {"red", p.red},                           {"orange", p.orange},
        {"blue", p.blue},                         {"grey", p.grey},
        {"logoTop", p.logoTop},                   {"logoBottom", p.logoBottom},
        {"logoMark", p.logoMark},                 {"logoSpark", p.logoSpark},
    };
    for (const auto& [name, colour] : entries) map.insert(QString::fromLatin1(name), Theme::toColor(colour));
    return map;
}

}  // namespace

void applyFixedAppearanceToWidgets() {
#ifndef __APPLE__
    const auto fixed = fixedDark();
    if (!fixed) return;
    const ThemePalette& p = *fixed ? darkPalette() : lightPalette();
    QPalette palette = QGuiApplication::palette();
    const std::pair<QPalette::ColorRole, Rgba> roles[] = {
        {QPalette::Window, p.windowBackground}, {QPalette::Base, p.cardBackground},
        {QPalette::Button, p.cardBackground},   {QPalette::WindowText, p.primaryText},
        {QPalette::Text, p.primaryText},        {QPalette::ButtonText, p.primaryText},
        {QPalette::Highlight, p.blue},          {QPalette::HighlightedText, p.onAccent},
        {QPalette::PlaceholderText, p.secondaryText},
    };
    for (const auto& [role, colour] : roles) palette.setColor(role, Theme::toColor(colour));
    QGuiApplication::setPalette(palette);
#endif
}

Theme::Theme(QObject* parent) : QObject(parent) {
    dark_ = systemIsDark();
    palette_ = named(colours());
    if (auto* application = QCoreApplication::instance()) application->installEventFilter(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    connect(QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, this, &Theme::update);
#endif
}

QColor Theme::toColor(Rgba colour) {
    return QColor::fromRgbF(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, static_cast<float>(colour.a));
}

bool Theme::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange) update();
    return false;
}

void Theme::update() {
    const bool dark = systemIsDark();
    if (dark == dark_) return;
    dark_ = dark;
    palette_ = named(colours());
    emit changed();
}

}  // namespace velmora
