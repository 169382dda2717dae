#pragma once
// Localized strings: key → text from a resource file, looked up with a default
// value, and NSString-style formatting (%@, %d, %ld, %%, positional %1$@).
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace velmora {

using FormatArgument = std::variant<std::string, long long>;

class StringTable {
public:
    StringTable() = default;
    explicit StringTable(std::map<std::string, std::string> entries);
    // Loads a .strings-style file ("key" = "value";) — absent file: empty table.
    static StringTable loadFile(const std::string& path);
    static StringTable parse(const std::string& text);

    // The entry; else defaultValue; else (defaultValue empty) the key itself.
    std::string localized(const std::string& key, const std::string& defaultValue = "") const;
    bool has(const std::string& key) const;

    static std::string format(const std::string& format, const std::vector<FormatArgument>& arguments);

private:
    std::map<std::string, std::string> entries_;
};

}  // namespace velmora
