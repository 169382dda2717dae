#include <gtest/gtest.h>

#include <string>

#include "foundation/plist/PlistParseCache.h"

namespace velmora {
namespace {

std::string plistOf(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

// A remembered answer is the parser's answer for those very bytes, errors
// included; answers that differ by one byte never mix, and a full cache
// makes room rather than grow.
TEST(PlistParseCache, AnswersAsTheParserDoesForTheSameBytes) {
    PlistParseCache cache(2);
    const std::string a = plistOf("<dict><key>Name</key><string>A</string></dict>");
    const std::string b = plistOf("<dict><key>Name</key><string>B</string></dict>");
    const std::string c = plistOf("<dict><key>Name</key><string>C</string></dict>");
    const std::string broken = plistOf("<dict><key>Name</key>");
    for (const std::string* bytes : {&a, &b, &a, &broken, &broken, &c, &a, &b}) {
        const PlistParseResult cached = cache.parse(*bytes);
        const PlistParseResult direct = parsePlist(*bytes);
        EXPECT_EQ(cached.value, direct.value) << *bytes;
        EXPECT_EQ(cached.error, direct.error) << *bytes;
        EXPECT_LE(cache.size(), 2u);
    }
    EXPECT_EQ(PlistParseCache(0).parse(a).value->string("Name"), "A");
    // A very large answer is read but not held.
    const std::string large = plistOf("<string>" + std::string(300 * 1024, 'x') + "</string>");
    PlistParseCache fresh(2);
    EXPECT_EQ(fresh.parse(large).value, parsePlist(large).value);
    EXPECT_EQ(fresh.size(), 0u);
}

}  // namespace
}  // namespace velmora
