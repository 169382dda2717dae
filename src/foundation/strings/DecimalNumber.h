#pragma once
// Reading a whole decimal floating-point number out of a column of tool output
// ("45.3", "0.00"). Locale-independent.
#include <optional>
#include <string_view>

namespace velmora {

// An optional '+' or '-', then a decimal number (digits, an optional fraction
// and exponent) and nothing else: no surrounding whitespace. Absent otherwise.
std::optional<double> parseDecimalNumber(std::string_view text);

}  // namespace velmora
