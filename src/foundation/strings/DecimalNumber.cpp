#include "foundation/strings/DecimalNumber.h"

#include <charconv>

namespace velmora {

std::optional<double> parseDecimalNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take "inf", "nan" and hexadecimal forms; a column
    // of figures never holds them.
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (error != std::errc() || stop != end) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace velmora
