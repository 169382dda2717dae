#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QRegularExpression>

#include "ui/qt/Theme.h"

namespace velmora {
namespace {

// Every text and icon against what it is drawn on, in both sets: 4.5:1 for
// text (badges and labels are small), as the views pair them.
TEST(Theme, EveryPairingIsReadableInBothAppearances) {
    for (const ThemePalette* palette : {&lightPalette(), &darkPalette()}) {
        const ThemePalette& p = *palette;
        const char* set = palette == &lightPalette() ? "light" : "dark";
        const struct {
            std::string what;
            Rgba fore, back;
        } fixed[] = {
            {"primary text on the window", p.primaryText, p.windowBackground},
            {"primary text on a card", p.primaryText, p.cardBackground},
            {"secondary text on the window", p.secondaryText, p.windowBackground},
            {"secondary text on a card", p.secondaryText, p.cardBackground},
        };
        for (const auto& c : fixed) EXPECT_GE(contrastRatio(c.fore, c.back), 4.5) << set << ": " << c.what;
        // Outlines and icons need 3:1.
        EXPECT_GE(contrastRatio(p.focusRing, p.windowBackground), 3.0) << set << ": the focus ring";
        EXPECT_GE(contrastRatio(p.focusRing, p.cardBackground), 3.0) << set << ": the focus ring on a card";
        for (const char* tone : {"green", "red", "orange", "blue", "grey"}) {
            const Rgba colour = p.status(tone);
            Rgba badge = colour;
            badge.a = 0.15;
            Rgba pressed = colour;
            pressed.a = 0.25;
            const struct {
                std::string what;
                Rgba fore, back;
            } toned[] = {
                {"status text on a card", colour, p.cardBackground},
                {"status text on the window", colour, p.windowBackground},
                {"a badge's text on its tint", colour, over(badge, p.cardBackground)},
                {"primary text on a pressed tinted button", p.primaryText, over(pressed, p.cardBackground)},
                {"a filled button's text", p.onAccent, colour},
            };
            for (const auto& c : toned)
                EXPECT_GE(contrastRatio(c.fore, c.back), 4.5) << set << ", " << tone << ": " << c.what;
        }
    }
    // The ratio itself, at its ends and one known pair.
    EXPECT_DOUBLE_EQ(contrastRatio({0, 0, 0}, {255, 255, 255}), 21.0);
    EXPECT_DOUBLE_EQ(contrastRatio({90, 90, 90}, {90, 90, 90}), 1.0);
    EXPECT_NEAR(contrastRatio({0x76, 0x76, 0x76}, {255, 255, 255}), 4.54, 0.01);
}

// The theme follows the application's palette (Qt 6.4's only word on the
// system's appearance) and says so once per switch.
TEST(Theme, FollowsTheApplicationPaletteLive) {
    qunsetenv("VELMORA_APPEARANCE");
    const QPalette original = QGuiApplication::palette();
    QPalette light = original;
    light.setColor(QPalette::Window, QColor(0xEC, 0xEC, 0xEC));
    QGuiApplication::setPalette(light);
    Theme theme;
    int changes = 0;
    QObject::connect(&theme, &Theme::changed, [&] { ++changes; });
    ASSERT_FALSE(theme.dark());
    EXPECT_EQ(theme.palette().value("primaryText").value<QColor>(), Theme::toColor(lightPalette().primaryText));

    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(0x1E, 0x1E, 0x1E));
    QGuiApplication::setPalette(dark);
    EXPECT_TRUE(theme.dark());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(theme.palette().value("primaryText").value<QColor>(), Theme::toColor(darkPalette().primaryText));
    QGuiApplication::setPalette(dark);  // no switch, no signal
    EXPECT_EQ(changes, 1);

    QGuiApplication::setPalette(original);
}

// The views take every colour and font from the theme and the symbol table.
TEST(Theme, NoViewNamesAColourOrAFontFamily) {
    const QRegularExpression literal(QStringLiteral(
        R"re("#[0-9A-Fa-f]{3,8}"|Qt\.(rgba|hsla|hsva)\(\s*[0-9.]|[cC]olor\s*:\s*"|font\.family\s*:\s*")re"));
    int files = 0;
    QDirIterator views(QStringLiteral(":/velmora"), {QStringLiteral("*.qml"), QStringLiteral("*.js")});
    while (views.hasNext()) {
        QFile view(views.next());
        ASSERT_TRUE(view.open(QIODevice::ReadOnly));
        ++files;
        int line = 0;
        for (const QByteArray& text : view.readAll().split('\n')) {
            ++line;
            EXPECT_FALSE(literal.match(QString::fromUtf8(text)).hasMatch())
                << view.fileName().toStdString() << ":" << line << ": " << text.toStdString();
        }
    }
    EXPECT_GT(files, 10);
}

}  // namespace
}  // namespace velmora
