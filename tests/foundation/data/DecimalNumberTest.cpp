#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "foundation/strings/DecimalNumber.h"

namespace velmora {
namespace {

using namespace std::string_view_literals;

TEST(DecimalNumber, Table) {
    const struct {
        std::string_view text;
        std::optional<double> value;
    } cases[] = {
        {"0", 0.0},
        {"45.3", 45.3},
        {"0.00", 0.0},
        {"+1.5", 1.5},
        {"-2.25", -2.25},
        {".5", 0.5},
        {"5.", 5.0},
        {"007.50", 7.5},
        {"1e3", 1000.0},
        {"2.5E-2", 0.025},
        {"1e+2", 100.0},
        {"0.1", 0.1},  // exactly the nearest double, as a compiler reads it
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"-.", std::nullopt},
        {"+-5", std::nullopt},
        {"--5", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"e5", std::nullopt},
        {"45,3", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x1p3", std::nullopt},
        {"1e400", std::nullopt},  // beyond double: not a figure to act on
        {"-1e400", std::nullopt},
        {"5\0"sv, std::nullopt},
        {"\xd9\xa3", std::nullopt},  // a non-ASCII digit
    };
    for (const auto& c : cases) EXPECT_EQ(parseDecimalNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace velmora
