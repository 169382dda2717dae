#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "foundation/strings/CaseFolding.h"
#include "support/BuildPaths.h"
#include "support/TestPlatform.h"
#include "system/SharedSystemMonitor.h"
#include "system/TopSample.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

std::string realTopCapture() {
    std::ifstream in(
        velmora::testing::sourcePath("tests/system/data/top-l1_full-columns_header-and-rows_openclaw-report.txt"));
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << "the top capture is missing";
    return text.str();
}

// A row in top's all-columns layout: the COMMAND column is 17 wide.
std::string row(int pid, const std::string& command, const std::string& cpu) {
    std::string name = command + std::string(command.size() < 17 ? 17 - command.size() : 1, ' ');
    return std::to_string(pid) + "  " + name + cpu + "  00:04.33 2   1   58     6609K 0B   6096K " +
           std::to_string(pid) + " 1    running  *0[1]    0.00000 0.00000    501 29941  185 15122   10336   "
           "369303   115372  85027   93      296   " + cpu + "   0      0      0      3pigcn          N/A    N/A   N/A   N/A   N/A   N/A  \n";
}

std::string userRow(int pid, const std::string& command, const std::string& cpu, const std::string& user) {
    std::string line = row(pid, command, cpu);
    return line.replace(line.find("3pigcn"), 6, user);
}

// Two samples as `top -l 2` prints them: the real capture (nothing measured
// yet), then the same header block with `rows`.
std::string twoSamples(const std::string& rows, const std::string& firstSampleRows = "") {
    const std::string capture = realTopCapture();
    const std::string header = capture.substr(0, capture.find("\n99060") + 1);
    return capture + firstSampleRows + header + rows;
}

TEST(TopSample, HeavyApplicationsOfTheSecondSample) {
    struct Case {
        std::string name;
        std::string rows;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"exactly 5.0 does not count, 5.1 does", row(1, "Xcode", "5.0") + row(2, "Blender", "5.1"), {"Blender"}},
        {"a name with a space moves %CPU out of the third field", row(3, "Logic Pro X", "80.0"), {}},
        {"the name is the COMMAND column, not the fragment or the last field", row(4, "AdobeIPCBroker", "12.5"),
         {"AdobeIPCBroker"}},
        {"another case", row(5, "XCODE", "40.0") + row(6, "blender", "9.9"), {"XCODE", "blender"}},
        {"a non-ASCII letter is kept in the name", row(7, "MayaÇizim", "22.0"), {"MayaÇizim"}},
        {"an accent still counts", row(8, "Ünity", "50.0"), {}},
        {"a percent sign is cut off", row(9, "Unity", "33.3%"), {"Unity"}},
        {"a column that is not wholly a number", row(10, "Maya", "abc") + row(11, "Maya", "7x"), {}},
        {"repeats are kept for the caller", row(12, "Xcode", "30.0") + row(13, "Xcode", "20.0"), {"Xcode", "Xcode"}},
        // top cuts COMMAND at 16 bytes: "BlenderÇizimArç" loses half its ç.
        {"a letter cut at the column's end is dropped, the rest still read",
         row(14, "BlenderÇizimAr\xC3", "50.0") + row(15, "Xcode", "30.0"), {"BlenderÇizimAr", "Xcode"}},
        {"a line that is not UTF-8 costs only itself", row(16, "Maya\xFF\xFEx", "50.0") + row(17, "Unity", "9.0"),
         {"Unity"}},
        {"only COMMAND is matched, not the user column",
         userRow(18, "kernel_task", "60.0", "mayafilm") + userRow(19, "Xcode", "60.0", "mayafilm"), {"Xcode"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(heavyApplicationsInTop(twoSamples(c.rows)), c.expected) << c.name;
    }
    // Figures in the first sample are never read, nor is a lone sample.
    EXPECT_TRUE(heavyApplicationsInTop(twoSamples("", row(20, "Xcode", "99.0"))).empty());
    EXPECT_TRUE(heavyApplicationsInTop(realTopCapture() + row(21, "Xcode", "99.0")).empty());
    // Full case folding, not ASCII lower-casing: the ligature matches "fi".
    EXPECT_EQ(caseFolded("ﬁnal cut"), caseFolded("Final Cut"));
    EXPECT_NE(caseFolded("Ünity"), caseFolded("Unity"));
}

class MonitorTest : public ::testing::Test {
protected:
    void answerTop(const std::string& rows) {
        tp.processes->on([](const RunSpec& r) { return r.program == "/usr/bin/top"; },
                         [rows](const RunSpec&) { return ScriptedProcessLauncher::exited(0, twoSamples(rows)); });
    }
    std::size_t topRuns() const { return tp.processes->runsOf("/usr/bin/top").size(); }

    testing::TestPlatform tp;
};

TEST_F(MonitorTest, FirstCycleRunsAtOnceAndReplacesTheInitialTexts) {
    answerTop(row(1, "Safari", "50.0"));
    auto monitor = SharedSystemMonitor::create(tp.platform());
    EXPECT_EQ(monitor->usbcPowerMode.get(), "Standart");
    EXPECT_EQ(monitor->powerStatus.get(), "Normal");
    const Date constructed = monitor->lastUpdate.get();

    tp.scheduler->advance(1);
    ASSERT_EQ(topRuns(), 1u);
    const RunSpec run = tp.processes->runsOf("/usr/bin/top")[0];
    EXPECT_EQ(run.arguments, (std::vector<std::string>{"-l", "2", "-s", "1", "-o", "cpu", "-n", "10"}));
    EXPECT_EQ(run.deadlineSeconds, 10.0);
    EXPECT_EQ(monitor->usbcPowerMode.get(), "Standard");
    EXPECT_EQ(monitor->powerStatus.get(), "Normal");
    EXPECT_TRUE(monitor->runningLargeApps.get().empty());

    tp.scheduler->advance(10);
    EXPECT_EQ(topRuns(), 3u) << "one cycle every 5 seconds";
    EXPECT_DOUBLE_EQ(secondsBetween(constructed, monitor->lastUpdate.get()), 10.0);
}

TEST_F(MonitorTest, HeavyApplicationsChangeTheTextsAndAreCappedAtFiveDistinctNames) {
    answerTop(row(1, "Xcode", "90.0") + row(2, "Blender", "80.0") + row(3, "Xcode", "70.0") + row(4, "Maya", "60.0") +
              row(5, "Unity", "50.0") + row(6, "AdobeIPCBroker", "40.0") + row(7, "DaVinciPanel", "30.0"));
    auto monitor = SharedSystemMonitor::create(tp.platform());
    tp.scheduler->advance(1);
    EXPECT_EQ(monitor->runningLargeApps.get(),
              (std::vector<std::string>{"Xcode", "Blender", "Maya", "Unity", "AdobeIPCBroker"}));
    EXPECT_EQ(monitor->usbcPowerMode.get(), "High Performance");
    EXPECT_EQ(monitor->powerStatus.get(), "Power Interruption Protection Active");

    // Texts come from the string table when it has them.
    auto strings = std::make_shared<StringTable>(std::map<std::string, std::string>{
        {"high_performance", "Yüksek Performans"}, {"power_interruption_protection_active", "Kesinti Koruması"}});
    tp.strings = strings;
    auto localized = SharedSystemMonitor::create(tp.platform());
    tp.scheduler->advance(1);
    EXPECT_EQ(localized->usbcPowerMode.get(), "Yüksek Performans");
    EXPECT_EQ(localized->powerStatus.get(), "Kesinti Koruması");
}

TEST_F(MonitorTest, FailedStartKeepsTheNamesButFinishesTheCycle) {
    answerTop(row(1, "Xcode", "90.0"));
    auto monitor = SharedSystemMonitor::create(tp.platform());
    tp.scheduler->advance(1);
    ASSERT_EQ(monitor->runningLargeApps.get(), std::vector<std::string>{"Xcode"});

    tp.processes->onCommand("/usr/bin/top", SharedSystemMonitor::topRequest().arguments,
                            ScriptedProcessLauncher::startFailure("The file “top” doesn’t exist."));
    const Date before = monitor->lastUpdate.get();
    tp.scheduler->advance(5);
    EXPECT_TRUE(tp.diagnostics->contains("Large apps check failed: The file “top” doesn’t exist."));
    EXPECT_EQ(monitor->runningLargeApps.get(), std::vector<std::string>{"Xcode"});
    EXPECT_EQ(monitor->usbcPowerMode.get(), "High Performance");
    EXPECT_GT(secondsBetween(before, monitor->lastUpdate.get()), 4.0);
}

TEST_F(MonitorTest, TicksWhileTopIsStillRunningAreSkipped) {
    // A top that takes 12 seconds: the ticks at 5 and 10 find the cycle busy.
    tp.processes->on([](const RunSpec& r) { return r.program == "/usr/bin/top"; },
                     [this](const RunSpec&) {
                         tp.scheduler->sleep(12);
                         return ScriptedProcessLauncher::exited(0, twoSamples(row(1, "Xcode", "90.0")));
                     });
    auto monitor = SharedSystemMonitor::create(tp.platform());
    tp.scheduler->advance(14);
    EXPECT_EQ(topRuns(), 1u);
    EXPECT_EQ(monitor->runningLargeApps.get(), std::vector<std::string>{"Xcode"});
    tp.scheduler->advance(2);
    EXPECT_EQ(topRuns(), 2u) << "the next tick after the cycle ended runs again";
}

}  // namespace
}  // namespace velmora
