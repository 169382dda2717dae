#include "platform/DiskutilQuery.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/BuildPaths.h"
#include "support/DiskPlists.h"
#include "support/ScriptedProcessLauncher.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

// The smallest binary property list: an empty dictionary. Its bytes are not UTF-8 text.
std::string emptyDictionaryBinaryPlist() {
    std::string bytes = "bplist00";
    bytes += '\xD0';                    // object 0: dictionary with no entries, at offset 8
    bytes += '\x08';                    // offset table: object 0 starts at 8
    bytes += std::string(6, '\0');      // trailer: unused
    bytes += '\x01';                    // offset size
    bytes += '\x01';                    // object reference size
    bytes += std::string(7, '\0') + '\x01';  // object count
    bytes += std::string(8, '\0');           // top object
    bytes += std::string(7, '\0') + '\x09';  // offset table position
    return bytes;
}

TEST(DiskutilQuery, RunsTheToolWithOutputPipedAndErrorsInherited) {
    ScriptedProcessLauncher processes;
    processes.onCommand("/usr/sbin/diskutil", {"info", "-plist", "disk4"},
                        ScriptedProcessLauncher::exited(0, testing::plistDocument("<dict/>\n")));
    const DiskutilAnswer answer = queryDiskutil(processes, {"info", "-plist", "disk4"}, DiskutilOutputRule::anyBytes);
    ASSERT_TRUE(answer.value);
    EXPECT_TRUE(answer.value->asDictionary());
    EXPECT_TRUE(answer.failure.empty());
    const auto runs = processes.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].program, "/usr/sbin/diskutil");
    EXPECT_EQ(runs[0].arguments, (std::vector<std::string>{"info", "-plist", "disk4"}));
    EXPECT_EQ(runs[0].output, OutputWiring::pipe);
    EXPECT_EQ(runs[0].error, ErrorWiring::inherit);
    EXPECT_TRUE(runs[0].wait);
}

TEST(DiskutilQuery, AStartFailureGivesTheRunsDescription) {
    ScriptedProcessLauncher processes;
    processes.onCommand("/usr/sbin/diskutil", {"list", "-plist"}, ScriptedProcessLauncher::startFailure("gone"));
    for (auto rule : {DiskutilOutputRule::anyBytes, DiskutilOutputRule::utf8TextOnly}) {
        const DiskutilAnswer answer = queryDiskutil(processes, {"list", "-plist"}, rule);
        EXPECT_FALSE(answer.value);
        EXPECT_EQ(answer.failure, "gone");
    }
}

TEST(DiskutilQuery, OutputThatIsNotAPropertyListGivesTheParsersError) {
    ScriptedProcessLauncher processes;
    processes.onCommand("/usr/sbin/diskutil", {"list", "-plist"}, ScriptedProcessLauncher::exited(0, "garbage"));
    for (auto rule : {DiskutilOutputRule::anyBytes, DiskutilOutputRule::utf8TextOnly}) {
        const DiskutilAnswer answer = queryDiskutil(processes, {"list", "-plist"}, rule);
        EXPECT_FALSE(answer.value);
        EXPECT_FALSE(answer.failure.empty());
        EXPECT_EQ(answer.failure, parsePlist("garbage").error);
    }
}

TEST(DiskutilQuery, OnlyTheTextRuleRefusesBytesThatAreNotUTF8) {
    ScriptedProcessLauncher processes;
    processes.onCommand("/usr/sbin/diskutil", {"list", "-plist"},
                        ScriptedProcessLauncher::exited(0, emptyDictionaryBinaryPlist()));
    const DiskutilAnswer bytes = queryDiskutil(processes, {"list", "-plist"}, DiskutilOutputRule::anyBytes);
    ASSERT_TRUE(bytes.value) << bytes.failure;
    EXPECT_TRUE(bytes.value->asDictionary());

    const DiskutilAnswer text = queryDiskutil(processes, {"list", "-plist"}, DiskutilOutputRule::utf8TextOnly);
    EXPECT_FALSE(text.value);
    EXPECT_EQ(text.failure, "The data couldn’t be read because it isn’t in the correct format.");
}

// A disk that goes away between the listing and its description is answered
// with diskutil's error dictionary; nothing of it may pass for a disk.
TEST(DiskutilQuery, AnInfoAnswerThatDescribesNoDiskIsAFailure) {
    std::ifstream file(testing::sourcePath("tests/data/samples/diskutil-info-plist_error-could-not-find-disk_crystal.plist"));
    ASSERT_TRUE(file) << "sample missing";
    std::stringstream sample;
    sample << file.rdbuf();
    struct Case {
        const char* label;
        std::string answer;
        std::string failure;  // empty: a usable description
    };
    const Case cases[] = {
        {"real error answer", sample.str(), "Could not find disk: /Volumes/SMB"},
        {"error flag alone", testing::plistDocument("<dict><key>Error</key><true/><key>DeviceIdentifier</key>"
                                                     "<string>disk4</string></dict>\n"),
         "diskutil described no disk for disk4"},
        {"no identifier", testing::plistDocument("<dict><key>MediaName</key><string>T7</string></dict>\n"),
         "diskutil described no disk for disk4"},
        {"not a dictionary", testing::plistDocument("<array/>\n"), "diskutil described no disk for disk4"},
        {"a disk", testing::diskInfoPlist(testing::DiskPlistFields::usbDisk("disk4", "T7", std::nullopt)), ""},
    };
    for (const auto& c : cases) {
        ScriptedProcessLauncher processes;
        processes.onCommand("/usr/sbin/diskutil", {"info", "-plist", "disk4"}, ScriptedProcessLauncher::exited(1, c.answer));
        for (auto rule : {DiskutilOutputRule::anyBytes, DiskutilOutputRule::utf8TextOnly}) {
            const DiskutilAnswer answer = queryDiskInfo(processes, "disk4", rule);
            EXPECT_EQ(answer.value.has_value(), c.failure.empty()) << c.label;
            EXPECT_EQ(answer.failure, c.failure) << c.label;
        }
    }
}

}  // namespace
}  // namespace velmora
