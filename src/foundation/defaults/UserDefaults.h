#pragma once
// The standard user-defaults domain as the program uses it: typed reads where
// an absent key (or one of another type) reads as the type's default, and
// writes that replace. Implementations: in memory (tests), a property-list
// file (Linux and the simulated Mac), CFPreferences (macOS, later).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Date.h"
#include "foundation/plist/PlistValue.h"

namespace velmora {

class UserDefaults {
public:
    virtual ~UserDefaults() = default;
    virtual std::optional<PlistValue> object(const std::string& key) const = 0;
    virtual void set(const std::string& key, const PlistValue& value) = 0;
    virtual void remove(const std::string& key) = 0;

    // Typed conveniences over object()/set().
    bool boolValue(const std::string& key) const;                       // false when absent
    std::int64_t integerValue(const std::string& key) const;            // 0 when absent
    std::optional<std::string> stringValue(const std::string& key) const;
    // Absent when missing or not a list of strings.
    std::optional<std::vector<std::string>> stringList(const std::string& key) const;
    std::optional<Date> dateValue(const std::string& key) const;
    void setBool(const std::string& key, bool value);
    void setInteger(const std::string& key, std::int64_t value);
    void setString(const std::string& key, const std::string& value);
    void setStringList(const std::string& key, const std::vector<std::string>& value);
    void setDate(const std::string& key, Date value);
};

}  // namespace velmora
