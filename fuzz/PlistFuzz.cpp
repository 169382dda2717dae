// Property-list bytes from outside: parsing must never crash, and whatever
// parses must survive a trip through our own XML writer unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/plist/PlistValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto first = velmora::parsePlist(bytes);
    if (!first.value) return 0;
    // The readers of diskutil output go through these.
    (void)first.value->string("MediaName");
    (void)first.value->integer("TotalSize");
    (void)first.value->boolean("Internal");
    (void)first.value->stringList("WholeDisks");
    const std::string xml = velmora::toXmlPlist(*first.value);
    const auto second = velmora::parsePlist(xml);
    if (!second.value) {
        std::fprintf(stderr, "own XML did not parse: %s\n%s\n", second.error.c_str(), xml.c_str());
        std::abort();
    }
    if (!(*second.value == *first.value)) {
        std::fprintf(stderr, "value changed through XML:\n%s\n", xml.c_str());
        std::abort();
    }
    return 0;
}
