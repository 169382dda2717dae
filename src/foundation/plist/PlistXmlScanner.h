#pragma once
// A lexical pass over XML property-list bytes before libplist sees them.
// libplist recurses once per nested container, so deep input would exhaust
// the stack; it also reads integers with strtoull (silently saturating
// 99999999999999999999, wrapping -99999999999999999999, reading 010 as octal)
// and turns an unreadable date into 1970. This pass refuses all of those, and
// refuses markup it cannot be sure libplist reads the same way, so that the
// nesting it measures is never less than what libplist will build.
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class PlistXmlScanner {
public:
    explicit PlistXmlScanner(int maxDepth) : maxDepth_(maxDepth) {}
    // Absent when the bytes may be handed to libplist; otherwise the reason.
    std::optional<std::string> check(std::string_view xml) const;

    // Decimal or 0x-hexadecimal integer text, optionally signed and padded
    // with white space: true when it is exact and fits in int64 or, as a
    // property list allows, is not negative and fits in uint64.
    static bool isExactInteger(std::string_view text);

private:
    int maxDepth_;
};

}  // namespace velmora
