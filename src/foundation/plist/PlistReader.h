#pragma once
// Turns libplist's node tree into PlistValue. The bytes are checked first
// (nesting, integer and date text, binary object graph) because libplist 2.2
// recurses without a limit and reads some malformed values silently.
#include <cstdint>
#include <string_view>

#include "foundation/plist/PlistValue.h"

namespace velmora {

class PlistReader {
public:
    static constexpr int kMaxDepth = 256;
    static constexpr std::size_t kMaxBytes = 64u * 1024u * 1024u;
    static constexpr std::uint64_t kMaxNodes = 1'000'000;

    PlistParseResult read(std::string_view bytes) const;
};

}  // namespace velmora
