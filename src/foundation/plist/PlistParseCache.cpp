#include "foundation/plist/PlistParseCache.h"

#include <algorithm>
#include <functional>

namespace velmora {

namespace {
// Larger answers are parsed every time rather than held: a full cache of
// them would weigh more than the program.
constexpr std::size_t kLargestRemembered = 256 * 1024;
}  // namespace

PlistParseResult PlistParseCache::parse(std::string_view bytes) {
    const std::size_t hash = std::hash<std::string_view>{}(bytes);
    {
        std::lock_guard lock(mutex_);
        for (Entry& entry : entries_) {
            if (entry.hash == hash && entry.bytes == bytes) {
                entry.lastUse = ++uses_;
                return entry.result;
            }
        }
    }
    // Parsed outside the lock: another thread's lookup need not wait for it.
    PlistParseResult result = parsePlist(bytes);
    if (capacity_ == 0 || bytes.size() > kLargestRemembered) return result;
    std::lock_guard lock(mutex_);
    const bool known = std::any_of(entries_.begin(), entries_.end(),
                                   [&](const Entry& e) { return e.hash == hash && e.bytes == bytes; });
    if (!known) {
        Entry entry{hash, std::string(bytes), result, ++uses_};
        if (entries_.size() < capacity_) {
            entries_.push_back(std::move(entry));
        } else {
            auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                           [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
            *oldest = std::move(entry);
        }
    }
    return result;
}

std::size_t PlistParseCache::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

}  // namespace velmora
