#pragma once
// A structural pass over a binary property list ("bplist00") before libplist
// sees it. libplist builds a fresh node for every reference and recurses once
// per nesting level, so a deep chain overflows the stack and a small file of
// shared references ("array of two copies of the previous array", 40 times)
// expands into billions of nodes. This pass walks the object graph without
// recursion and refuses cycles, deep nesting and oversized expansions.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class PlistBinaryScanner {
public:
    PlistBinaryScanner(int maxDepth, std::uint64_t maxNodes) : maxDepth_(maxDepth), maxNodes_(maxNodes) {}
    static bool looksBinary(std::string_view bytes);
    // Absent when the bytes may be handed to libplist; otherwise the reason.
    std::optional<std::string> check(std::string_view bytes) const;

private:
    int maxDepth_;
    std::uint64_t maxNodes_;
};

}  // namespace velmora
