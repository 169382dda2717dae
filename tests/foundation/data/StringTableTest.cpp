#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TemporaryFolder.h"
#include "support/BuildPaths.h"
#include "foundation/strings/StringTable.h"

namespace velmora {
namespace {

TEST(StringTable, LookupRule) {
    const StringTable table(std::map<std::string, std::string>{{"authorized", "Yetkili"}});
    EXPECT_EQ(table.localized("authorized", "Authorized"), "Yetkili");
    EXPECT_EQ(table.localized("authorized"), "Yetkili");
    EXPECT_EQ(table.localized("status_normal", "Unknown"), "Unknown");
    EXPECT_EQ(table.localized("status_normal", "Normal"), "Normal");
    EXPECT_EQ(table.localized("registering_applications"), "registering_applications");
    EXPECT_EQ(table.localized("registering_applications", ""), "registering_applications");
    EXPECT_TRUE(table.has("authorized"));
    EXPECT_FALSE(table.has("status_normal"));
}

TEST(StringTable, ParsesStringsFileSyntax) {
    const StringTable table = StringTable::parse(
        "\xEF\xBB\xBF/* block\n comment \"fake\" = \"no\"; */\n"
        "\"plain\" = \"Plain text\";\n"
        "// line comment \"fake2\" = \"no\";\n"
        "  \"spaced\"   =\n  \"value\"  ;  \"same line\" = \"too\";\n"
        "\"escapes\" = \"say \\\"hi\\\"\\\\ tab\\tnew\\nline\";\n"
        "\"unicode\" = \"\\U00C7 \\UD83D\\UDCBE\";\n"
        "\"turkish\" = \"Ayarlar dosyası bozuk ⚠️\";\n"
        "\"empty\" = \"\";\n"
        "\"dup\" = \"first\";\n\"dup\" = \"second\";\n");
    EXPECT_EQ(table.localized("plain"), "Plain text");
    EXPECT_EQ(table.localized("spaced"), "value");
    EXPECT_EQ(table.localized("same line"), "too");
    EXPECT_EQ(table.localized("escapes"), "say \"hi\"\\ tab\tnew\nline");
    EXPECT_EQ(table.localized("unicode"), "Ç 💾");
    EXPECT_EQ(table.localized("turkish"), "Ayarlar dosyası bozuk ⚠️");
    EXPECT_TRUE(table.has("empty"));
    EXPECT_EQ(table.localized("empty", "default"), "");
    EXPECT_EQ(table.localized("dup"), "second");
    EXPECT_FALSE(table.has("fake"));
    EXPECT_FALSE(table.has("fake2"));
}

TEST(StringTable, MalformedEntriesCostOnlyThemselves) {
    const StringTable table = StringTable::parse(
        "\"good1\" = \"one\";\n"
        "\"no semicolon\" = \"x\"\n"
        "\"good2\" = \"two\";\n"
        "\"no equals\" \"x\";\n"
        "unquoted = \"x\";\n"
        "\"good3\" = \"three\";\n"
        "\"unterminated\" = \"runs to the end");
    EXPECT_EQ(table.localized("good1"), "one");
    EXPECT_EQ(table.localized("good2"), "two");
    EXPECT_EQ(table.localized("good3"), "three");
    EXPECT_FALSE(table.has("no semicolon"));
    EXPECT_FALSE(table.has("no equals"));
    EXPECT_FALSE(table.has("unterminated"));
    // Truncations of a valid file never fail.
    const std::string text = "\"a\" = \"b\\\"c\"; /* x */ \"d\" = \"\\U00e7\";";
    for (std::size_t n = 0; n <= text.size(); ++n) StringTable::parse(text.substr(0, n));
}

TEST(StringTable, ShippedEnglishTable) {
    const StringTable table = StringTable::loadFile(testing::sourcePath("resources/en.strings"));
    EXPECT_EQ(table.localized("authorized", "Authorized"), "Authorized");
    EXPECT_EQ(table.localized("basic_system_access", "x"), "Basic system access");
    EXPECT_EQ(table.localized("disk_connected", "x"), "Connected");
    EXPECT_EQ(table.localized("disk_disconnected", "x"), "Disconnected");
    EXPECT_EQ(table.localized("disk_list_error", "x"), "Error");
    // Shared by two callers with different defaults, so it has no entry.
    EXPECT_FALSE(table.has("status_normal"));
    EXPECT_EQ(table.localized("status_normal", "Unknown"), "Unknown");
    EXPECT_EQ(table.localized("status_normal", "Normal"), "Normal");
}

TEST(StringTable, MissingFileGivesAnEmptyTable) {
    testing::TemporaryFolder folder;
    const StringTable table = StringTable::loadFile(folder.path() + "/absent.strings");
    EXPECT_EQ(table.localized("disk_connected", "Connected"), "Connected");
}

struct FormatCase {
    const char* format;
    std::vector<FormatArgument> arguments;
    const char* expected;
};

TEST(StringTable, FormatsLikeNSString) {
    const std::vector<FormatCase> cases = {
        {"plain", {}, "plain"},
        {"%@ bundles", {std::string("Apps")}, "Apps bundles"},
        {"%d apps", {7LL}, "7 apps"},
        {"%ld / %lld / %i / %u", {1LL, -2LL, 3LL, 4LL}, "1 / -2 / 3 / 4"},
        {"%u", {-1LL}, "18446744073709551615"},
        {"100%%", {}, "100%"},
        {"%2$@ then %1$@", {std::string("first"), std::string("second")}, "second then first"},
        {"%1$@ %1$@", {std::string("x")}, "x x"},
        {"%2$d of %1$d", {10LL, 3LL}, "3 of 10"},
        {"%@ and %@", {std::string("only")}, "only and "},
        {"%@", {}, ""},
        {"%3$@", {std::string("a")}, ""},
        {"no specifiers", {std::string("extra"), 5LL}, "no specifiers"},
        {"%@", {std::string("a"), std::string("ignored")}, "a"},
        {"%@ items", {12LL}, "12 items"},
        {"%d", {std::string("text")}, "text"},
        {"%03d|%-3d|%+d", {5LL, 5LL, 5LL}, "005|5  |+5"},
        {"ends with %", {}, "ends with %"},
        {"%", {}, "%"},
        {"%l", {1LL}, "%l"},
        {"%y %@", {std::string("a")}, "%y a"},
        {"%0$@ %1$", {std::string("a")}, "%0$@ %1$"},
        {"%99999999999999999999$@", {std::string("a")}, ""},
        {"registering_applications", {5LL}, "registering_applications"},
        {"%@: %@", {std::string("/Applications"), std::string("No such file")}, "/Applications: No such file"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StringTable::format(c.format, c.arguments), c.expected) << c.format;
    }
}

}  // namespace
}  // namespace velmora
