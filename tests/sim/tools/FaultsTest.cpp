#include "foundation/process/ProcessLauncher.h"
#include "sim/state/MachineEditor.h"
#include "sim/state/ToolTree.h"
#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

class FaultsTest : public ToolFixture {
protected:
    void setFault(const std::string& tool, ToolFault fault) {
        change([&](MachineState& s) { s.toolFaults[tool] = fault; });
    }
    std::string healthyListing() { return run("diskutil", {"list", "-plist"}).out; }
};

TEST_F(FaultsTest, FailExitsNonZeroWithAnErrorAndNoOutput) {
    setFault("diskutil", ToolFault::fail);
    auto r = run("diskutil", {"list", "-plist"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(run("ioreg", {"-p", "IOUSB"}).exitStatus, 0) << "faults belong to one tool";
}

TEST_F(FaultsTest, SpoiledOutputsAreRejectedByTheirReaders) {
    std::string healthy = healthyListing();
    ASSERT_TRUE(parsePlist(healthy).value.has_value());

    setFault("diskutil", ToolFault::garble);
    std::string garbled = run("diskutil", {"list", "-plist"}).out;
    EXPECT_FALSE(parsePlist(garbled).value.has_value());
    EXPECT_TRUE(decodeUTF8(garbled).has_value()) << "garbled, yet still text";

    setFault("diskutil", ToolFault::truncate);
    std::string truncated = run("diskutil", {"list", "-plist"}).out;
    EXPECT_EQ(truncated, healthy.substr(0, truncated.size()));
    EXPECT_LE(truncated.size(), healthy.size() / 2);
    EXPECT_FALSE(parsePlist(truncated).value.has_value());

    setFault("diskutil", ToolFault::nonUTF8);
    EXPECT_FALSE(decodeUTF8(run("diskutil", {"list", "-plist"}).out).has_value());
    setFault("diskutil", ToolFault::none);
    EXPECT_EQ(healthyListing(), healthy);
}

TEST_F(FaultsTest, SlowToolWaitsThenAnswersAsUsual) {
    const std::string healthy = healthyListing();
    MachineEditor(machine()).setToolSlow("diskutil", 2.0);
    slept_.clear();
    EXPECT_EQ(healthyListing(), healthy);
    EXPECT_EQ(slept_, std::vector<double>{2.0});
    slept_.clear();
    run("ioreg", {"-p", "IOUSB"});
    EXPECT_TRUE(slept_.empty()) << "faults belong to one tool";
    MachineEditor(machine()).setToolFault("diskutil", ToolFault::none);
    EXPECT_TRUE(state().toolSlowSeconds.empty());
}

TEST_F(FaultsTest, HugeListingIsLargeButStillWellFormed) {
    setFault("diskutil", ToolFault::huge);
    auto r = run("diskutil", {"list", "-plist"});
    EXPECT_GE(r.out.size(), 500u * 1024);
    PlistValue list = parsed(r.out);
    std::vector<std::string> expected;
    for (const auto& d : state().disks) expected.push_back(d.identifier);
    EXPECT_EQ(list.stringList("WholeDisks"), expected);
    EXPECT_EQ(state().disks[4].volumes.size(), 2u) << "the extra partitions exist only in the output";

    setFault("pmset", ToolFault::huge);
    EXPECT_GE(run("pmset", {"-g"}).out.size(), 500u * 1024);
}

TEST_F(FaultsTest, EveryInvocationIsJournalledWithItsExitStatus) {
    machine().clearJournal();
    run("diskutil", {"info", "-plist", "disk42"});
    setFault("pmset", ToolFault::hang);
    auto hung = run("pmset", {"-g"});
    EXPECT_TRUE(hung.hangs);
    auto journal = machine().journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0].argv, (std::vector<std::string>{"diskutil", "info", "-plist", "disk42"}));
    EXPECT_EQ(journal[0].exitStatus, 1);
    EXPECT_EQ(journal[1].argv, (std::vector<std::string>{"pmset", "-g"}));
    EXPECT_EQ(journal[1].exitStatus, ToolRunner::hangExitStatus);
}

TEST_F(FaultsTest, HangingToolNeverExitsUntilKilled) {
    setFault("ioreg", ToolFault::hang);
    auto r = runLinked("usr/sbin/ioreg", {"-p", "IOUSB"}, 0.4);
    EXPECT_EQ(r.status, -1) << "stopped by the deadline, not by itself";
}

TEST_F(FaultsTest, MissingToolCannotBeStarted) {
    ToolTree::removeTool(dir(), "kextstat");
    auto r = runScript("kextstat -b com.apple.iokit.IOUSBMassStorageClass; echo status=$?");
    EXPECT_NE(r.output.find("status=127"), std::string::npos) << r.output << r.error;
    ToolTree::restoreTool(dir(), "kextstat");
    EXPECT_NE(runScript("kextstat; echo status=$?").output.find("status=0"), std::string::npos);
}

}  // namespace
}  // namespace velmora::sim::testing
