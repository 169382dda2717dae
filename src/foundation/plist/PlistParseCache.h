#pragma once
// Parse results remembered by the exact bytes they came from. Tools polled
// every few seconds mostly repeat their last answer word for word, and
// reading a property list again costs far more than comparing its bytes.
// Safe to use from several threads; holds at most `capacity` answers of up
// to 256 KB each, the least recently used going first.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/plist/PlistValue.h"

namespace velmora {

class PlistParseCache {
public:
    explicit PlistParseCache(std::size_t capacity) : capacity_(capacity) {}

    // What parsePlist(bytes) gives.
    PlistParseResult parse(std::string_view bytes);

    std::size_t size() const;

private:
    struct Entry {
        std::size_t hash = 0;
        std::string bytes;
        PlistParseResult result;
        std::uint64_t lastUse = 0;
    };

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::uint64_t uses_ = 0;
};

}  // namespace velmora
