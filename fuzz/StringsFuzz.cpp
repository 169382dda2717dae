// .strings text and format strings come from resource files that translators
// edit: neither may crash the program or produce text that is not UTF-8 from
// text that was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/strings/StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const velmora::StringTable table = velmora::StringTable::parse(text);
    (void)table.localized("status_normal", "Normal");
    const std::vector<velmora::FormatArgument> arguments = {std::string("disk4"), 12LL, -1LL};
    (void)velmora::StringTable::format(text, arguments);
    (void)velmora::StringTable::format(text, {});
    return 0;
}
