#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string_view>

#include "foundation/strings/AsciiCase.h"
#include "foundation/strings/DecimalInteger.h"

namespace velmora {
namespace {

using namespace std::string_view_literals;

constexpr long long kMax = std::numeric_limits<long long>::max();
constexpr long long kMin = std::numeric_limits<long long>::min();

struct Case {
    std::string_view text;
    std::optional<long long> exact;    // parseDecimalInteger
    std::optional<long long> trimmed;  // parseTrimmedDecimalInteger
};

TEST(DecimalInteger, Table) {
    const Case cases[] = {
        {"0", 0, 0},
        {"7", 7, 7},
        {"007", 7, 7},
        {"+4", 4, 4},
        {"-2", -2, -2},
        {"-0", 0, 0},
        {"", std::nullopt, std::nullopt},
        {"+", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"+-5", std::nullopt, std::nullopt},
        {"-+5", std::nullopt, std::nullopt},
        {"--5", std::nullopt, std::nullopt},
        {"3 4", std::nullopt, std::nullopt},
        {"12a", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"1.5", std::nullopt, std::nullopt},
        {"1e3", std::nullopt, std::nullopt},
        {"- 5", std::nullopt, std::nullopt},
        {"error: log failed", std::nullopt, std::nullopt},
        {"\xd9\xa3", std::nullopt, std::nullopt},  // a non-ASCII digit
        {"9223372036854775807", kMax, kMax},
        {"+9223372036854775807", kMax, kMax},
        {"9223372036854775808", std::nullopt, std::nullopt},
        {"-9223372036854775808", kMin, kMin},
        {"-9223372036854775809", std::nullopt, std::nullopt},
        {"99999999999999999999", std::nullopt, std::nullopt},
        {"00000000000000000000000000000042", 42, 42},
        // Only the trimmed form accepts surrounding ASCII whitespace and line breaks.
        {"0\n", std::nullopt, 0},
        {"  \t 7 \n\n", std::nullopt, 7},
        {"\r\n-3\r\n", std::nullopt, -3},
        {"\v\f12\f\v", std::nullopt, 12},
        {" \n ", std::nullopt, std::nullopt},
        {"+ 5", std::nullopt, std::nullopt},
        {"\xc2\xa0" "5", std::nullopt, std::nullopt},  // a no-break space is not trimmed
        {"5\0"sv, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimalInteger(c.text), c.exact) << '"' << c.text << '"';
        EXPECT_EQ(parseTrimmedDecimalInteger(c.text), c.trimmed) << '"' << c.text << '"';
    }
}

TEST(AsciiCase, LowercasesOnlyAsciiLetters) {
    EXPECT_EQ(asciiLowercased("com.Adobe.Photoshop"), "com.adobe.photoshop");
    EXPECT_EQ(asciiLowercased("AZaz09@[`{"), "azaz09@[`{");
    EXPECT_EQ(asciiLowercased("DİSK İMAGE Ä"), "dİsk İmage Ä");
    EXPECT_EQ(asciiLowercased(""), "");
    EXPECT_EQ(asciiLowercased("\xC3\x84\xFF"), "\xC3\x84\xFF");
}

}  // namespace
}  // namespace velmora
