#include "foundation/process/Script.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct SudoCase {
    const char* name;
    const char* input;
    std::optional<std::string> expected;
};

class SudoRuleTest : public ::testing::TestWithParam<SudoCase> {};

TEST_P(SudoRuleTest, RemovesOrRefuses) {
    const SudoCase& c = GetParam();
    EXPECT_EQ(applySudoRule(c.input), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SudoRuleTest,
    ::testing::Values(
        SudoCase{"prefix", "sudo pmset -a disksleep 0", "pmset -a disksleep 0"},
        SudoCase{"every line", "sudo a\nsudo b\n", "a\nb\n"},
        SudoCase{"bare line", "echo x\nsudo\necho y", "echo x\necho y"},
        SudoCase{"at the very end", "echo ok; sudo", std::nullopt},
        SudoCase{"tab after", "sudo\tpmset", std::nullopt},
        SudoCase{"inside a word", "visudo", std::nullopt},
        SudoCase{"word ending before a space", "visudo -c", "vi-c"},
        SudoCase{"sudoers", "cat /etc/sudoers", std::nullopt},
        // "pseudo" spells p-s-e-u-d-o: it holds no "sudo", so it runs.
        SudoCase{"pseudo is not sudo", "echo pseudo", "echo pseudo"},
        SudoCase{"upper case stays", "SUDO pmset", "SUDO pmset"},
        SudoCase{"removal forms a new one", "susudo do x", std::nullopt},
        SudoCase{"space removal first", "sudo sudo\nx", "x"},
        SudoCase{"no mention", "diskutil list", "diskutil list"},
        SudoCase{"empty", "", ""}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return name;
    });

TEST(ScriptQuoteTest, EveryValueIsOneSingleQuotedWord) {
    EXPECT_EQ(Script::quote(""), "''");
    EXPECT_EQ(Script::quote("disk4"), "'disk4'");
    EXPECT_EQ(Script::quote("it's"), "'it'\\''s'");
    EXPECT_EQ(Script::quote("'"), "''\\'''");
    EXPECT_EQ(Script::quote("$(x) `y` \"z\"\n"), "'$(x) `y` \"z\"\n'");
}

TEST(ScriptTest, TextJoinsCodeAndQuotedValues) {
    Script script;
    script.code("diskutil info ").value("My Disk").code(" | grep -F -e ").value("a'b");
    EXPECT_EQ(script.text(), "diskutil info 'My Disk' | grep -F -e 'a'\\''b'");
    EXPECT_EQ(Script("echo hi").text(), "echo hi");
}

TEST(ScriptTest, SudoRuleAppliesToCodeOnly) {
    Script script;
    script.code("sudo mdutil -i on ").value("/Volumes/sudo ");
    EXPECT_EQ(script.textWithoutSudo(), "mdutil -i on '/Volumes/sudo '");

    for (const char* value : {"pseudo", "sudo", "sudo\n"}) {
        Script named;
        named.code("echo ").value(value);
        EXPECT_EQ(named.textWithoutSudo(), "echo " + Script::quote(value)) << value;
    }
}

TEST(ScriptTest, AdjacentCodeFragmentsAreJudgedTogether) {
    Script split;
    split.code("su").code("do pmset -a sleep 0");
    EXPECT_EQ(split.textWithoutSudo(), "pmset -a sleep 0");

    Script formsWord;
    formsWord.code("cat /etc/su").code("doers");
    EXPECT_EQ(formsWord.textWithoutSudo(), std::nullopt);

    Script beforeValue;
    beforeValue.code("sudo").value("x");
    EXPECT_EQ(beforeValue.textWithoutSudo(), std::nullopt);

    Script refusedLater;
    refusedLater.code("echo ").value("a").code(" ; visudo");
    EXPECT_EQ(refusedLater.textWithoutSudo(), std::nullopt);
}

}  // namespace
}  // namespace velmora
