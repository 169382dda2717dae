#include <sys/stat.h>

#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

class StandInBinaryTest : public ToolFixture {
protected:
    void SetUp() override {
        if (!haveRealTools()) GTEST_SKIP() << "the stand-in binary is not built";
    }
};

TEST_F(StandInBinaryTest, DispatchesOnItsNameOrOnItsFirstArgument) {
    auto linked = runHost("/usr/bin/env", {"-u", "VELMORA_SIM_MACHINE", dir() + "/usr/sbin/diskutil", "list", "-plist"});
    EXPECT_EQ(linked.status, 0) << linked.error;
    PlistValue viaLink = parsed(linked.output);

    auto direct = runHost("/usr/bin/env", {"VELMORA_SIM_MACHINE=" + dir(), toolBinary(), "diskutil", "list", "-plist"});
    EXPECT_EQ(direct.status, 0) << direct.error;
    EXPECT_EQ(parsed(direct.output), viaLink);

    auto lsregister = runLinked(
        "System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/lsregister", {"-h"});
    EXPECT_EQ(lsregister.status, 255);
}

TEST_F(StandInBinaryTest, RefusesToRunWithoutAMachine) {
    auto none = runHost("/usr/bin/env", {"-u", "VELMORA_SIM_MACHINE", toolBinary(), "diskutil", "list"});
    EXPECT_EQ(none.status, 70);
    EXPECT_EQ(runHost("/usr/bin/env", {"VELMORA_SIM_MACHINE=" + dir(), toolBinary(), "rm", "-rf", "/"}).status, 127);
    std::string nowhere = scratch() + "/no-machine";
    auto wrong = runHost("/usr/bin/env", {"VELMORA_SIM_MACHINE=" + nowhere, toolBinary(), "sync"});
    EXPECT_EQ(wrong.status, 70);
    struct stat info {};
    EXPECT_NE(::stat(nowhere.c_str(), &info), 0) << "nothing is created where no machine is";
}

TEST_F(StandInBinaryTest, ReaderThatStopsEarlyStillGetsAJournalEntry) {
    change([](MachineState& s) { s.toolFaults["diskutil"] = ToolFault::huge; });
    machine().clearJournal();
    auto r = runScript("diskutil list -plist | head -n 1");
    EXPECT_EQ(r.output, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    auto journal = machine().journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].exitStatus, 0);
}

TEST_F(StandInBinaryTest, ManyToolProcessesAtOnceKeepStateAndJournalWhole) {
    machine().clearJournal();
    change([](MachineState& s) { s.userIsAdmin = true; });
    const std::vector<std::string> settings = {"displaysleep", "dim",     "disksleep",  "sleep",   "womp",    "ring",
                                               "autorestart",  "lidwake", "acwake",     "lessbright", "halfdim", "sms"};
    std::string script;
    for (int i = 0; i < 12; ++i) script += "pmset -a " + settings[i] + " 1" + std::to_string(i) + " & ";
    script += "wait";
    auto r = runScript(script);
    EXPECT_EQ(r.status, 0) << r.error;
    MachineState s = state();
    for (int i = 0; i < 12; ++i) EXPECT_EQ(s.pmset[settings[i]], "1" + std::to_string(i)) << settings[i];
    auto journal = machine().journal();
    EXPECT_EQ(journal.size(), 12u);
    for (const auto& entry : journal) {
        ASSERT_EQ(entry.argv.size(), 4u);
        EXPECT_EQ(entry.argv[0], "pmset");
    }
}

}  // namespace
}  // namespace velmora::sim::testing
