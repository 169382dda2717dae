#include "foundation/strings/StringTable.h"

#include <fstream>
#include <sstream>

#include "foundation/strings/StringFormatter.h"
#include "foundation/strings/StringsFileParser.h"

namespace velmora {

StringTable::StringTable(std::map<std::string, std::string> entries) : entries_(std::move(entries)) {}

StringTable StringTable::loadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return StringTable();
    std::ostringstream content;
    content << in.rdbuf();
    return parse(content.str());
}

StringTable StringTable::parse(const std::string& text) { return StringTable(StringsFileParser(text).entries()); }

std::string StringTable::localized(const std::string& key, const std::string& defaultValue) const {
    const auto it = entries_.find(key);
    if (it != entries_.end()) return it->second;
    return defaultValue.empty() ? key : defaultValue;
}

bool StringTable::has(const std::string& key) const { return entries_.count(key) != 0; }

std::string StringTable::format(const std::string& format, const std::vector<FormatArgument>& arguments) {
    return StringFormatter(format, arguments).result();
}

}  // namespace velmora
