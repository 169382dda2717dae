#include "foundation/strings/DecimalInteger.h"

#include <limits>

namespace velmora {

namespace {

bool isAsciiWhitespaceOrNewline(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::optional<long long> parseDecimalInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Accumulated as a magnitude so that the most negative value fits.
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1ULL : 0ULL);
    unsigned long long magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<unsigned long long>(c - '0');
        if (magnitude > (limit - digit) / 10) return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return static_cast<long long>(magnitude);
    if (magnitude == limit) return std::numeric_limits<long long>::min();
    return -static_cast<long long>(magnitude);
}

std::optional<long long> parseTrimmedDecimalInteger(std::string_view text) {
    while (!text.empty() && isAsciiWhitespaceOrNewline(text.front())) text.remove_prefix(1);
    while (!text.empty() && isAsciiWhitespaceOrNewline(text.back())) text.remove_suffix(1);
    return parseDecimalInteger(text);
}

}  // namespace velmora
