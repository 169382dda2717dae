#include "foundation/plist/PlistValue.h"

#include <cmath>
#include <type_traits>

namespace velmora {

std::optional<std::string> PlistValue::asString() const {
    if (const auto* v = std::get_if<std::string>(&storage_)) return *v;
    return std::nullopt;
}

std::optional<std::int64_t> PlistValue::asInteger() const {
    if (const auto* v = std::get_if<std::int64_t>(&storage_)) return *v;
    return std::nullopt;
}

std::optional<double> PlistValue::asReal() const {
    if (const auto* v = std::get_if<double>(&storage_)) return *v;
    return std::nullopt;
}

std::optional<bool> PlistValue::asBool() const {
    if (const auto* v = std::get_if<bool>(&storage_)) return *v;
    return std::nullopt;
}

std::optional<Date> PlistValue::asDate() const {
    if (const auto* v = std::get_if<Date>(&storage_)) return *v;
    return std::nullopt;
}

std::optional<std::vector<std::string>> PlistValue::asStringList() const {
    const auto* array = asArray();
    if (!array) return std::nullopt;
    std::vector<std::string> result;
    result.reserve(array->size());
    for (const auto& element : *array) {
        const auto* text = std::get_if<std::string>(&element.storage_);
        if (!text) return std::nullopt;
        result.push_back(*text);
    }
    return result;
}

const PlistValue* PlistValue::find(std::string_view key) const {
    const auto* dictionary = asDictionary();
    if (!dictionary) return nullptr;
    const auto it = dictionary->find(std::string(key));
    return it == dictionary->end() ? nullptr : &it->second;
}

std::optional<std::string> PlistValue::string(std::string_view key) const {
    const auto* value = find(key);
    return value ? value->asString() : std::nullopt;
}

std::optional<std::int64_t> PlistValue::integer(std::string_view key) const {
    const auto* value = find(key);
    return value ? value->asInteger() : std::nullopt;
}

std::optional<bool> PlistValue::boolean(std::string_view key) const {
    const auto* value = find(key);
    return value ? value->asBool() : std::nullopt;
}

std::optional<std::vector<std::string>> PlistValue::stringList(std::string_view key) const {
    const auto* value = find(key);
    return value ? value->asStringList() : std::nullopt;
}

bool PlistValue::operator==(const PlistValue& other) const {
    if (storage_.index() != other.storage_.index()) return false;
    return std::visit(
        [&other](const auto& mine) -> bool {
            using T = std::decay_t<decltype(mine)>;
            const T& theirs = std::get<T>(other.storage_);
            if constexpr (std::is_same_v<T, double>) {
                // Not-a-number equals itself here: a value read back from its
                // own XML text must compare equal to the original.
                return mine == theirs || (std::isnan(mine) && std::isnan(theirs));
            } else if constexpr (std::is_same_v<T, PlistData>) {
                return mine.bytes == theirs.bytes;
            } else {
                return mine == theirs;
            }
        },
        storage_);
}

}  // namespace velmora
