#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <thread>

#include "SimTestSupport.h"
#include "sim/services/SimAlerts.h"

#ifdef VELMORA_SIM_COMMAND_BUILT

namespace velmora::sim {
namespace {

using testing::CommandResult;
using testing::ScratchFolder;
using testing::runHost;

CommandResult sim(const std::vector<std::string>& arguments) { return runHost(velmora::testing::simCommandProgram(), arguments); }

class SimCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = scratch_.path() + "/mac";
        auto r = sim({"init", dir_, "--scenario", "default", "--tool", testing::toolBinary()});
        ASSERT_EQ(r.status, 0) << r.error;
    }
    Machine machine() const { return Machine(dir_); }
    ScratchFolder scratch_;
    std::string dir_;
};

TEST(SimCommandLine, EveryVerbAnswersHelp) {
    for (const char* verb : {"init", "plug", "unplug", "image", "mount", "unmount", "log", "app", "fault", "usb-fault",
                             "enumeration-failure", "vanish", "privilege", "automation", "notifications",
                             "journal", "show", "state", "bundle", "link-loop"}) {
        auto r = sim({verb, "--help"});
        EXPECT_EQ(r.status, 0) << verb;
        EXPECT_NE(r.output.find(std::string("velmora-sim ") + verb), std::string::npos) << verb;
    }
    EXPECT_EQ(sim({"--help"}).status, 0);
}

TEST(SimCommandLine, MisuseIsAUsageError) {
    ScratchFolder scratch;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"reboot", scratch.path()},
        {"plug", scratch.path()},                       // --name missing
        {"plug", scratch.path(), "--name"},             // value missing
        {"plug", scratch.path(), "--name", "x", "--colour", "red"},
        {"fault", scratch.path(), "diskutil", "explode"},
        {"show", scratch.path(), "everything"},
        {"privilege", scratch.path(), "root"},
        {"app", "restart", scratch.path()},
        {"app", "start", scratch.path(), "--name", "x", "--bundle-id", "y", "--policy", "sometimes"},
        {"bundle", scratch.path(), "disk4"},
    };
    for (const auto& args : cases) {
        auto r = sim(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.error.find("usage"), std::string::npos);
    }
    // A folder that is not a machine is an error, not a fresh machine.
    auto r = sim({"plug", scratch.path() + "/none", "--name", "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.error.find("not a simulated machine"), std::string::npos);
    EXPECT_EQ(sim({"init", scratch.path() + "/m", "--tool", scratch.path() + "/no-such-binary"}).status, 1);
    EXPECT_EQ(sim({"init", scratch.path() + "/m", "--scenario", "nope", "--tool", "/bin/true"}).status, 1);
}

TEST_F(SimCommandLineTest, PlugPrintsTheIdentifierAndUnplugRemovesIt) {
    auto plugged = sim({"plug", dir_, "--name", "Samsung T7", "--volume", "T7", "--bridge", "ASM1153E", "--fs", "HFS+",
                        "--size", "1000000000000"});
    ASSERT_EQ(plugged.status, 0) << plugged.error;
    EXPECT_EQ(plugged.output, "disk6\n");
    auto shown = sim({"show", dir_, "disks"});
    EXPECT_NE(shown.output.find("disk6  Samsung T7  USB, external, 1000000000000 bytes"), std::string::npos);
    EXPECT_NE(shown.output.find("mounted at " + dir_ + "/Volumes/T7"), std::string::npos);

    EXPECT_EQ(sim({"unplug", dir_, "disk6"}).status, 0);
    EXPECT_EQ(sim({"show", dir_, "disks"}).output.find("disk6"), std::string::npos);
    auto again = sim({"unplug", dir_, "disk6"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.error.find("no such disk: disk6"), std::string::npos);
}

TEST_F(SimCommandLineTest, HostileNamesPassThroughUntouched) {
    const std::string name = "Evil $(touch " + scratch_.path() + "/pwned) `id` 'q' \"dq\"\nsudo 💥 Ağ";
    auto r = sim({"plug", dir_, "--name", name, "--volume", name, "--product", name});
    ASSERT_EQ(r.status, 0) << r.error;
    MachineState s = machine().read();
    EXPECT_EQ(s.disks.back().mediaName, name);
    EXPECT_EQ(s.usbDevices.back().productName, name);
    EXPECT_EQ(sim({"log", dir_, name}).status, 0);
    EXPECT_EQ(machine().read().log.back().message, name);
    struct stat info {};
    EXPECT_NE(::stat((scratch_.path() + "/pwned").c_str(), &info), 0);
}

TEST_F(SimCommandLineTest, MissingFaultRemovesTheProgramAndClearRestoresIt) {
    const std::string diskutil = dir_ + "/usr/sbin/diskutil";
    struct stat info {};
    ASSERT_EQ(sim({"fault", dir_, "diskutil", "missing"}).status, 0);
    EXPECT_NE(::lstat(diskutil.c_str(), &info), 0);
    ASSERT_EQ(sim({"fault", dir_, "diskutil", "clear"}).status, 0);
    EXPECT_EQ(::lstat(diskutil.c_str(), &info), 0);
    ASSERT_EQ(sim({"fault", dir_, "ioreg", "truncate"}).status, 0);
    EXPECT_EQ(machine().read().toolFaults.at("ioreg"), ToolFault::truncate);
    EXPECT_EQ(sim({"fault", dir_, "bash", "fail"}).status, 1);

    ASSERT_EQ(sim({"fault", dir_, "ioreg", "slow", "2"}).status, 0);
    EXPECT_EQ(machine().read().toolFaults.at("ioreg"), ToolFault::slow);
    EXPECT_EQ(machine().read().toolSlowSeconds.at("ioreg"), 2.0);
    EXPECT_EQ(sim({"fault", dir_, "ioreg", "slow"}).status, 2);
    EXPECT_EQ(sim({"fault", dir_, "ioreg", "slow", "-1"}).status, 1);
    EXPECT_EQ(sim({"fault", dir_, "ioreg", "hang", "2"}).status, 2);
}

TEST_F(SimCommandLineTest, SwitchesChangeTheMachine) {
    EXPECT_EQ(sim({"privilege", dir_, "admin"}).status, 0);
    EXPECT_EQ(sim({"automation", dir_, "deny"}).status, 0);
    EXPECT_EQ(sim({"notifications", dir_, "authorization", "denied"}).status, 0);
    EXPECT_EQ(sim({"notifications", dir_, "request", "deny"}).status, 0);
    EXPECT_EQ(sim({"vanish", dir_, "disk5"}).status, 0);
    EXPECT_EQ(sim({"usb-fault", dir_, "disk4", "timeout"}).status, 0);
    EXPECT_EQ(sim({"enumeration-failure", dir_, "--count", "2", "--name", "Archive"}).status, 0);
    auto started = sim({"app", "start", dir_, "--name", "After Effects", "--bundle-id", "com.adobe.AfterEffects",
                        "--cpu", "120", "--cwd", "/Users/me", "--policy", "accessory", "--launched", "400"});
    EXPECT_EQ(started.status, 0);
    EXPECT_EQ(sim({"app", "start", dir_, "--name", "x", "--bundle-id", "y", "--cwd", "relative"}).status, 1);
    EXPECT_EQ(sim({"bundle", dir_, "disk4", "NotABundle"}).status, 1);
    EXPECT_EQ(sim({"bundle", dir_, "disk4", "Up.app", "--under", "../.."}).status, 1);
    MachineState s = machine().read();
    EXPECT_TRUE(s.userIsAdmin);
    EXPECT_FALSE(s.automationAllowed);
    EXPECT_EQ(s.notificationAuthorization, "denied");
    EXPECT_FALSE(s.notificationRequestGranted);
    EXPECT_EQ(s.usbDevices[0].extraProperties, std::vector<std::string>{"RTL9210 timeout"});
    EXPECT_EQ(started.output, std::to_string(s.processes.back().pid) + "\n");
    EXPECT_EQ(s.processes.back().workingDirectory, "/Users/me");
    EXPECT_EQ(s.processes.back().activationPolicy, 1);
    EXPECT_NEAR(Machine::now() - s.processes.back().launchTime.value_or(0), 400, 60);
    bool vanished = false;
    for (const auto& d : s.disks) vanished = vanished || (d.identifier == "disk5" && d.vanishesOnInfo);
    EXPECT_TRUE(vanished);
    EXPECT_EQ(sim({"app", "stop", dir_, "After Effects"}).status, 0);
    EXPECT_EQ(sim({"app", "stop", dir_, "After Effects"}).status, 1);
    auto state = sim({"state", dir_});
    EXPECT_NO_THROW(stateFromText(state.output));
}

TEST_F(SimCommandLineTest, JournalPrintsOneRunALineWithQuoting) {
    Machine m = machine();
    m.appendJournal({1, {"diskutil", "info", "-plist", "disk4"}, 0});
    m.appendJournal({2, {"mount", "-u", "-o", "noatime", dir_ + "/Volumes/Velmora SSD"}, 1});
    m.appendJournal({3, {"sysctl", "-w", "it's"}, 1});
    auto r = sim({"journal", dir_});
    EXPECT_EQ(r.output, "diskutil info -plist disk4\nmount -u -o noatime '" + dir_ +
                            "/Volumes/Velmora SSD'\nsysctl -w 'it'\\''s'\n");
    EXPECT_EQ(sim({"journal", dir_, "--clear"}).status, 0);
    EXPECT_EQ(sim({"journal", dir_}).output, "");
}

TEST_F(SimCommandLineTest, ShowListsRecordedServiceEffects) {
    machine().update([](MachineState& s) {
        s.openedURLs.push_back("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation");
        s.loginItems.push_back({"Velmora", "/Applications/Velmora.app", true});
        s.assertions.push_back({0x1001, "PreventUserIdleSystemSleep", "Velmora", 255, 42, 0});
    });
    EXPECT_EQ(sim({"show", dir_, "urls"}).output,
              "x-apple.systempreferences:com.apple.preference.security?Privacy_Automation\n");
    EXPECT_EQ(sim({"show", dir_, "login-items"}).output, "Velmora  /Applications/Velmora.app  hidden\n");
    EXPECT_NE(sim({"show", dir_, "assertions"}).output.find("0x1001  PreventUserIdleSystemSleep"), std::string::npos);
    EXPECT_NE(sim({"show", dir_, "notifications"}).output.find("authorization: notDetermined"), std::string::npos);
}

TEST_F(SimCommandLineTest, AlertsAreAnsweredWithTheConfiguredButtonAndListed) {
    SimAlerts alerts(std::make_shared<Machine>(dir_));
    const AlertRequest request{"Startup Permissions Required", "line one\nline two", {"Open System Preferences", "OK"}};
    EXPECT_EQ(alerts.runModal(request), 0u);  // until set: the first button
    EXPECT_EQ(sim({"alerts", dir_, "answer", "2"}).status, 0);
    EXPECT_EQ(alerts.runModal(request), 1u);
    EXPECT_EQ(sim({"alerts", dir_, "answer", "7"}).status, 0);
    EXPECT_EQ(alerts.runModal(request), 1u);  // past the last: the last
    EXPECT_EQ(sim({"alerts", dir_, "answer", "0"}).status, 2);
    EXPECT_EQ(sim({"alerts", dir_, "reply", "1"}).status, 2);
    const std::string shown = sim({"show", dir_, "alerts"}).output;
    EXPECT_EQ(shown.substr(0, shown.find('\n')), "answer: button 7");
    EXPECT_NE(shown.find("    line one\n    line two\n  [1] Open System Preferences  <- chosen\n  [2] OK\n"),
              std::string::npos);
    EXPECT_EQ(machine().read().alerts.size(), 3u);
}

// Many processes changing one machine at once: every change lands and the
// state file stays valid.
TEST_F(SimCommandLineTest, ConcurrentProcessesLoseNoUpdate) {
    constexpr int kProcesses = 20;
    std::vector<std::thread> threads;
    std::vector<int> statuses(kProcesses, -1);
    for (int i = 0; i < kProcesses; ++i) {
        threads.emplace_back([&, i] { statuses[static_cast<std::size_t>(i)] = sim({"log", dir_, "line " + std::to_string(i)}).status; });
    }
    for (auto& t : threads) t.join();
    for (int status : statuses) EXPECT_EQ(status, 0);
    std::set<std::string> lines;
    for (const auto& e : machine().read().log) lines.insert(e.message);
    for (int i = 0; i < kProcesses; ++i) EXPECT_TRUE(lines.count("line " + std::to_string(i))) << i;
}

}  // namespace
}  // namespace velmora::sim

#endif
