#pragma once
// Small text helpers shared by the stand-in tools' output formats.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sim::text {

std::string padRight(std::string_view s, std::size_t width);
std::string padLeft(std::string_view s, std::size_t width);
// Number of characters (UTF-8 code points) for column alignment.
std::size_t displayWidth(std::string_view s);
// Cuts to at most `count` characters, never inside a UTF-8 sequence.
std::string firstCharacters(std::string_view s, std::size_t count);

std::vector<std::string> split(std::string_view s, char separator);
std::vector<std::string> splitWhitespace(std::string_view s);
bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
std::string lower(std::string_view s);

// diskutil's decimal sizes: "500.3 GB", "209.7 MB", "2.0 TB".
std::string decimalSize(std::int64_t bytes);
// A stable hash of a text (FNV-1a), for made-up but repeatable values.
std::uint64_t stableHash(std::string_view s);
// A stable upper-case UUID derived from a seed text.
std::string uuidFor(std::string_view seed);
std::string hex(std::uint64_t value, int digits);

// strtoll-style parse of a whole decimal integer; false on anything else.
bool parseInteger(std::string_view s, long long& value);

}  // namespace velmora::sim::text
