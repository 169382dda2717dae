#include "foundation/defaults/MemoryUserDefaults.h"

namespace velmora {

std::optional<PlistValue> MemoryUserDefaults::object(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemoryUserDefaults::set(const std::string& key, const PlistValue& value) {
    std::lock_guard lock(mutex_);
    values_.insert_or_assign(key, value);
}

void MemoryUserDefaults::remove(const std::string& key) {
    std::lock_guard lock(mutex_);
    values_.erase(key);
}

}  // namespace velmora
