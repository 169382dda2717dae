#include "foundation/strings/DecimalNumber.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <string>

namespace velmora {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with at most one point and at least one digit, then an optional
// exponent with at least one digit. Checked here rather than left to the
// conversion, which would also take "inf", "nan", hexadecimal forms and
// leading blanks that a column of figures never holds.
bool isPlainDecimal(std::string_view text) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t exponentStart = i;
        while (i < text.size() && isDigit(text[i])) ++i;
        if (i == exponentStart) return false;
    }
    return i == text.size();
}

}  // namespace

std::optional<double> parseDecimalNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!isPlainDecimal(text)) return std::nullopt;
    // Apple's C++ library offers no from_chars for double at the deployment
    // target, and strtod follows the process locale, which the window's
    // toolkit sets from the user's (a Turkish Mac writes "45,3"). A stream
    // in the classic locale converts exactly, the same on every platform.
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    if (in.fail() || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace velmora
