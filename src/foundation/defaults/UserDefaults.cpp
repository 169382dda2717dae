#include "foundation/defaults/UserDefaults.h"

namespace velmora {

bool UserDefaults::boolValue(const std::string& key) const {
    const auto value = object(key);
    return value ? value->asBool().value_or(false) : false;
}

std::int64_t UserDefaults::integerValue(const std::string& key) const {
    const auto value = object(key);
    return value ? value->asInteger().value_or(0) : 0;
}

std::optional<std::string> UserDefaults::stringValue(const std::string& key) const {
    const auto value = object(key);
    return value ? value->asString() : std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringList(const std::string& key) const {
    const auto value = object(key);
    return value ? value->asStringList() : std::nullopt;
}

std::optional<Date> UserDefaults::dateValue(const std::string& key) const {
    const auto value = object(key);
    return value ? value->asDate() : std::nullopt;
}

void UserDefaults::setBool(const std::string& key, bool value) { set(key, PlistValue(value)); }

void UserDefaults::setInteger(const std::string& key, std::int64_t value) { set(key, PlistValue(value)); }

void UserDefaults::setString(const std::string& key, const std::string& value) { set(key, PlistValue(value)); }

void UserDefaults::setStringList(const std::string& key, const std::vector<std::string>& value) {
    PlistArray list(value.begin(), value.end());
    set(key, PlistValue(std::move(list)));
}

void UserDefaults::setDate(const std::string& key, Date value) { set(key, PlistValue(value)); }

}  // namespace velmora
