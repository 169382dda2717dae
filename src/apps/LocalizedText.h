#pragma once
// A status text by key from the main string table: the entry (or the key
// itself when there is none) used as a format for the arguments in order.
#include <string>
#include <vector>

#include "foundation/strings/StringTable.h"

namespace velmora {

inline std::string localizedText(const StringTable& strings, const std::string& key,
                                 const std::vector<FormatArgument>& arguments = {}) {
    return StringTable::format(strings.localized(key, ""), arguments);
}

}  // namespace velmora
