#pragma once
// The window's colours, a light set and a dark set, as plain values: the
// views read them through `Theme`, and a test checks each text and icon
// against what it is drawn on. Status colours keep their meaning (green
// healthy, red failed, orange warning, blue neutral, grey inactive) in shades
// dark or light enough to read: Apple's increased-contrast variants, darkened
// or lightened further where a badge's tint still left them short.
#include <cstdint>
#include <string_view>

namespace velmora {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0;
    double a = 1.0;
};

struct ThemePalette {
    Rgba windowBackground, cardBackground, cardBorder, cardShadowFar, cardShadowNear, headerOverlay;
    Rgba primaryText, secondaryText;
    Rgba onAccent;   // text on a filled status-coloured button
    Rgba focusRing;  // the keyboard focus outline
    Rgba none;       // fully transparent, for outlines without a fill
    Rgba green, red, orange, blue, grey;
    Rgba logoTop, logoBottom, logoMark, logoSpark;

    // By the model's colour names; anything else is blue.
    const Rgba& status(std::string_view name) const;
};

const ThemePalette& lightPalette();
const ThemePalette& darkPalette();

// `top` drawn over an opaque `bottom`.
Rgba over(Rgba top, Rgba bottom);
// WCAG 2 contrast ratio of two opaque colours, 1 to 21.
double contrastRatio(Rgba a, Rgba b);

}  // namespace velmora
