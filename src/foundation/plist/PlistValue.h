#pragma once
// Property-list values parsed from XML with libplist. Typed accessors answer
// "absent" both for a missing key and for a value of another type, which is
// the rule every reader of diskutil output follows. Parsing never throws:
// malformed, truncated, non-UTF-8 or hostile input gives an error value.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foundation/Date.h"

namespace velmora {

class PlistValue;
using PlistDictionary = std::map<std::string, PlistValue>;
using PlistArray = std::vector<PlistValue>;
struct PlistData { std::string bytes; };
// An integer above the signed 64-bit range (a property list may hold unsigned
// 64-bit values). Kept so that it is written back unchanged, but no integer to
// its readers: only its own key is unusable, not the whole document.
struct PlistUnsignedInteger {
    std::uint64_t value = 0;
    bool operator==(const PlistUnsignedInteger&) const = default;
};

class PlistValue {
public:
    using Storage = std::variant<PlistDictionary, PlistArray, std::string, std::int64_t, double, bool, Date, PlistData,
                                 PlistUnsignedInteger>;

    PlistValue() : storage_(PlistDictionary{}) {}
    PlistValue(PlistDictionary v) : storage_(std::move(v)) {}
    PlistValue(PlistArray v) : storage_(std::move(v)) {}
    PlistValue(std::string v) : storage_(std::move(v)) {}
    PlistValue(const char* v) : storage_(std::string(v)) {}
    PlistValue(std::int64_t v) : storage_(v) {}
    PlistValue(int v) : storage_(static_cast<std::int64_t>(v)) {}
    PlistValue(double v) : storage_(v) {}
    PlistValue(bool v) : storage_(v) {}
    PlistValue(Date v) : storage_(v) {}
    PlistValue(PlistData v) : storage_(std::move(v)) {}
    PlistValue(PlistUnsignedInteger v) : storage_(v) {}

    const Storage& storage() const { return storage_; }

    // Type queries (pointer is null for another type).
    const PlistDictionary* asDictionary() const { return std::get_if<PlistDictionary>(&storage_); }
    const PlistArray* asArray() const { return std::get_if<PlistArray>(&storage_); }
    std::optional<std::string> asString() const;
    std::optional<std::int64_t> asInteger() const;
    std::optional<double> asReal() const;
    std::optional<bool> asBool() const;
    std::optional<Date> asDate() const;
    // A list whose every element is a string; absent otherwise.
    std::optional<std::vector<std::string>> asStringList() const;

    // Dictionary lookups: absent for a missing key, a wrong type, or when this
    // value is not a dictionary.
    const PlistValue* find(std::string_view key) const;
    std::optional<std::string> string(std::string_view key) const;
    std::optional<std::int64_t> integer(std::string_view key) const;
    std::optional<bool> boolean(std::string_view key) const;
    std::optional<std::vector<std::string>> stringList(std::string_view key) const;

    bool operator==(const PlistValue& other) const;

private:
    Storage storage_;
};

struct PlistParseResult {
    std::optional<PlistValue> value;  // absent on error
    std::string error;                // readable reason when absent
};

// XML (and binary, as libplist detects) property lists from bytes. Nesting is
// capped at 256 levels; integers outside the 64-bit ranges, strings that are
// not UTF-8 and dates libplist cannot hold (before 1932 or after 2069) are
// errors. Integers from 2^63 to 2^64-1 read as PlistUnsignedInteger. Dates keep whole seconds, all that the XML form carries.
PlistParseResult parsePlist(std::string_view bytes);
// XML property list text of a value (the format of a macOS preferences file).
std::string toXmlPlist(const PlistValue& value);

}  // namespace velmora
