#include "ui/qt/ThemePalette.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr Rgba rgb(std::uint32_t hex) {
    return {static_cast<std::uint8_t>(hex >> 16), static_cast<std::uint8_t>(hex >> 8), static_cast<std::uint8_t>(hex), 1.0};
}

constexpr Rgba rgba(std::uint32_t hex, double alpha) {
    Rgba colour = rgb(hex);
    colour.a = alpha;
    return colour;
}

double linear(std::uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgba c) {
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

}  // namespace

const Rgba& ThemePalette::status(std::string_view name) const {
    if (name == "green") return green;
    if (name == "red") return red;
    if (name == "orange") return orange;
    if (name == "grey") return grey;
    return blue;
}

const ThemePalette& lightPalette() {
    static const ThemePalette palette{
        rgb(0xECECEC), rgb(0xFBFBFB), rgba(0x000000, 0.06), rgba(0x000000, 0.04), rgba(0x000000, 0.06),
        rgba(0xFFFFFF, 0.3),
        rgb(0x1D1D1F), rgb(0x5E5E63),
        rgb(0xFFFFFF), rgb(0x0040DD), rgba(0x000000, 0.0),
        rgb(0x1E7231), rgb(0xBF0011), rgb(0xB23000), rgb(0x0040DD), rgb(0x636366),
        rgb(0x3A8DFF), rgb(0x0057D9), rgb(0xFFFFFF), rgb(0xFFD60A),
    };
    return palette;
}

const ThemePalette& darkPalette() {
    static const ThemePalette palette{
        rgb(0x1E1E1E), rgb(0x2C2C2E), rgba(0xFFFFFF, 0.08), rgba(0x000000, 0.25), rgba(0x000000, 0.35),
        rgba(0xFFFFFF, 0.04),
        rgb(0xF5F5F7), rgb(0xAEAEB2),
        rgb(0x000000), rgb(0x69B1FF), rgba(0x000000, 0.0),
        rgb(0x30DB5B), rgb(0xFF8C85), rgb(0xFFB340), rgb(0x69B1FF), rgb(0xAEAEB2),
        rgb(0x3A8DFF), rgb(0x0057D9), rgb(0xFFFFFF), rgb(0xFFD60A),
    };
    return palette;
}

Rgba over(Rgba top, Rgba bottom) {
    auto mix = [&](std::uint8_t t, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(t * top.a + b * (1.0 - top.a)));
    };
    return {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 1.0};
}

double contrastRatio(Rgba a, Rgba b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace velmora
