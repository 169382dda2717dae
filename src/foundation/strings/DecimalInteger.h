#pragma once
// Reading a whole decimal integer out of a short text such as a command's
// printed count. Locale-independent: only ASCII digits and ASCII whitespace.
#include <optional>
#include <string_view>

namespace velmora {

// An optional '+' or '-', then one or more ASCII digits, and nothing else.
// Absent for anything else, including a value outside long long's range.
std::optional<long long> parseDecimalInteger(std::string_view text);

// The same after removing ASCII whitespace and line breaks (space, \t, \n,
// \r, \v, \f) from both ends.
std::optional<long long> parseTrimmedDecimalInteger(std::string_view text);

}  // namespace velmora
