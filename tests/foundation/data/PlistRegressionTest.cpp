#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "PlistTestSupport.h"
#include "support/BuildPaths.h"
#include "foundation/plist/PlistValue.h"

namespace velmora {
namespace {

// Inputs that once crashed the parser (kept by the fuzzer). Each must now
// give a value or an error; if it parses, its XML text must read back equal.
TEST(PlistRegression, SavedFuzzerFindingsParseWithoutCrashing) {
    const std::filesystem::path folder = testing::sourcePath("fuzz/corpus/plist-regressions");
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
        const auto result = parsePlist(testing::readFileBytes(entry.path().string()));
        if (!result.value) {
            EXPECT_FALSE(result.error.empty()) << entry.path();
            continue;
        }
        const auto again = parsePlist(toXmlPlist(*result.value));
        ASSERT_TRUE(again.value.has_value()) << entry.path() << ": " << again.error;
        EXPECT_EQ(*again.value, *result.value) << entry.path();
    }
    EXPECT_GE(count, 1u);
}

}  // namespace
}  // namespace velmora
