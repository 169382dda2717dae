#pragma once
#include <map>
#include <mutex>

#include "foundation/defaults/UserDefaults.h"

namespace velmora {

// In-memory defaults for tests; thread-safe.
class MemoryUserDefaults final : public UserDefaults {
public:
    std::optional<PlistValue> object(const std::string& key) const override;
    void set(const std::string& key, const PlistValue& value) override;
    void remove(const std::string& key) override;
private:
    mutable std::mutex mutex_;
    std::map<std::string, PlistValue> values_;
};

}  // namespace velmora
