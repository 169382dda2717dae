#include "foundation/process/ProcessLauncher.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(DecodeUTF8Test, AcceptsWellFormedText) {
    for (const std::string& text : {std::string(), std::string("ascii"), std::string("Bağlandı ✅ 🚀"),
                                   std::string("\xF4\x8F\xBF\xBF"), std::string("a\0b", 3),
                                   std::string("\xED\x9F\xBF"), std::string("\xEF\xBB\xBF" "bom")}) {
        EXPECT_EQ(decodeUTF8(text), text);
    }
}

TEST(DecodeUTF8Test, RejectsMalformedText) {
    const char* cases[] = {
        "\x80",              // lone continuation
        "\xC0\xAF",          // overlong '/'
        "\xC1\xBF",          // overlong
        "\xE0\x80\xAF",      // overlong three-byte
        "\xF0\x80\x80\xAF",  // overlong four-byte
        "\xED\xA0\x80",      // high surrogate
        "\xED\xBF\xBF",      // low surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xF5\x80\x80\x80",  // invalid lead
        "\xFF",
        "abc\xE2\x82",       // truncated at end
        "\xE2\x28\xA1",      // bad continuation
        "ok\xC3",            // truncated two-byte
    };
    for (const char* text : cases) {
        EXPECT_EQ(decodeUTF8(text), std::nullopt) << ::testing::PrintToString(std::string(text));
    }
}

}  // namespace
}  // namespace velmora
