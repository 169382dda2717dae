// The stabilizer against the simulated Mac: real stand-in tools and real
// shells. Timers run on virtual time where only the sequence matters (the
// scripts' own sleeps are still real); one test runs on the real scheduler
// with its queue threads. Every process group a run left behind (scripts put
// work in the background) is ended after each test.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "disks/DiskMonitor.h"
#include "foundation/dispatch/RealScheduler.h"
#include "foundation/dispatch/VirtualScheduler.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/MachineEditor.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "tests/sim/MachineProcesses.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

std::string readProcFile(const std::filesystem::path& path) {
    try {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    } catch (...) {
        return {};  // the process went away while being read
    }
}

// Process groups of the Realtek polling loops whose shells run against the
// machine in `dir` (a loop is a forked shell, so it carries the script).
std::set<int> pollingLoopGroups(const std::string& dir) {
    const std::string machine = std::string("VELMORA_SIM_MACHINE=") + dir + '\0';
    std::set<int> groups;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename();
        if (!std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); })) continue;
        if (readProcFile(entry.path() / "cmdline").find("(while true; do") == std::string::npos) continue;
        if (readProcFile(entry.path() / "environ").find(machine) == std::string::npos) continue;
        const std::string stat = readProcFile(entry.path() / "stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 1));
        std::string state;
        int parent = 0;
        int group = 0;
        if (fields >> state >> parent >> group) groups.insert(group);
    }
    return groups;
}

bool eventually(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class StabilizerSim : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sim::testing::haveRealTools()) GTEST_SKIP() << "the stand-in tools are not built";
    }
    void TearDown() override {
        if (stabilizer_) {
            stabilizer_->endWatchdog();
            stabilizer_.reset();
        }
        if (real_) real_->shutdown();
        sim::testing::endMachineProcesses(mac_.dir());
    }

    void start(std::shared_ptr<Scheduler> scheduler) {
        sim::SimulatedPlatformOptions options;
        options.launcher.defaultDeadlineSeconds = 30.0;
        options.launcher.terminateGraceSeconds = 0.5;
        options.random = std::make_shared<RandomSource>(11);
        platform_ = sim::makeSimulatedPlatform(mac_.dir(), std::move(scheduler), diagnostics_, options);
        stabilizer_ = AutomaticUSBStabilizer::create(platform_);
    }
    void startVirtual() { start(virtual_); }
    void startReal() {
        real_ = RealScheduler::create();
        start(real_);
    }

    // Tool runs of the machine, each as "tool arg arg …".
    std::vector<std::string> journal() {
        std::vector<std::string> lines;
        for (const auto& entry : mac_.machine().journal()) {
            std::string line;
            for (const auto& word : entry.argv) line += (line.empty() ? "" : " ") + word;
            lines.push_back(line);
        }
        return lines;
    }
    std::size_t journalCount(const std::string& line) {
        auto lines = journal();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
    }
    std::size_t journalCountStartingWith(const std::string& start) {
        auto lines = journal();
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
    }
    std::size_t logged(const std::string& line) const { return diagnostics_->count(line); }
    // The default machine has one RTL9210B-CG bridge; this makes two of them
    // detected. The tree shows four matching lines per device, so the
    // five-line rows drift: the next device's name shares a row with the
    // keyboard's and is lost, and the one after that is detected.
    // The default machine has one such disk already: two controllers in all.
    void plugAnotherRealtekDisk() {
        sim::PlugOptions disk;
        disk.mediaName = "Second Disk";
        disk.bridge = "RTL9210B-CG";
        sim::MachineEditor(mac_.machine()).plug(disk);
    }
    std::vector<sim::Assertion> assertions(const std::string& type) {
        std::vector<sim::Assertion> found;
        for (const auto& a : mac_.machine().read().assertions)
            if (a.type == type) found.push_back(a);
        return found;
    }

    sim::testing::ScratchMachine mac_;
    std::shared_ptr<CapturingDiagnostics> diagnostics_ = std::make_shared<CapturingDiagnostics>();
    std::shared_ptr<VirtualScheduler> virtual_ = std::make_shared<VirtualScheduler>(dateFromSeconds(sim::Machine::now()));
    std::shared_ptr<RealScheduler> real_;
    Platform platform_;
    std::shared_ptr<AutomaticUSBStabilizer> stabilizer_;
};

// The default machine's bridges are recognised from the real tree format and
// their chip scripts run once the first detection has published its list.
TEST_F(StabilizerSim, ControllerDetectionFindsTheBridgesOfTheDefaultMachine) {
    startVirtual();
    virtual_->runUntilIdle();
    EXPECT_GE(journalCount("ioreg -p IOUSB -w0 -l"), 1u);
    auto controllers = stabilizer_->usbControllerInfo.get();
    std::vector<std::string> names;
    std::vector<std::string> types;
    for (const auto& c : controllers) {
        names.push_back(c.deviceName);
        types.push_back(c.controllerType);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"RTL9210B-CG", "ASM1153E", "Magic Keyboard"}));
    EXPECT_EQ(types, (std::vector<std::string>{"RTL9210B-CG", "ASM1153E", "GENERIC"}));
    EXPECT_EQ(logged("🎯 Detected problematic controller: RTL9210B-CG (RTL9210B-CG)"), 1u);
    EXPECT_EQ(logged("🔋 ASMedia Power Management for ASM1153E"), 1u);
    EXPECT_EQ(stabilizer_->lastStabilizationAction.get(), "🔋 Advanced power management active");
    EXPECT_EQ(stabilizer_->currentStabilityLevel.get(), StabilityLevel::powerManagement);
    // Block A of the Realtek family reached the machine's sysctl.
    EXPECT_EQ(journalCount("sysctl -w kern.usb.bulk_timeout=30000"), 1u);
    // Both assertions are in the machine's list.
    EXPECT_EQ(assertions("PreventSystemSleep").size(), 1u);
    EXPECT_EQ(assertions("NoIdleSleepAssertion").size(), 1u);
}

TEST_F(StabilizerSim, APluggedDiskIsStabilizedAndTheAssertionRenewed) {
    startReal();
    const auto firstAssertion = assertions("PreventSystemSleep");
    ASSERT_EQ(firstAssertion.size(), 1u);
    sim::PlugOptions plug;
    plug.mediaName = "Travel \"Disk\" $(touch pwned)";
    plug.volumeName = "My Travel Disk";
    const std::string id = sim::MachineEditor(mac_.machine()).plug(plug);

    ASSERT_TRUE(real_->runUntil([&] { return stabilizer_->lastStabilizationAction.get() == "✅ Anında stabilizasyon tamamlandı"; },
                                40s))
        << stabilizer_->lastStabilizationAction.get();
    EXPECT_EQ(logged("🔧 Individual stabilization: " + plug.mediaName), 1u);
    EXPECT_EQ(journalCount("diskutil mount /dev/" + id), 1u);
    auto names = stabilizer_->usbDisksProtected.get();
    EXPECT_NE(std::find(names.begin(), names.end(), plug.mediaName), names.end());
    EXPECT_EQ(logged("🔄 Power assertion yenilendi"), 1u);
    auto renewed = assertions("PreventSystemSleep");
    ASSERT_EQ(renewed.size(), 1u);
    EXPECT_NE(renewed[0].id, firstAssertion[0].id);
    EXPECT_EQ(assertions("NoIdleSleepAssertion").size(), 2u);  // the first one is never given back
    EXPECT_FALSE(sim::testing::runHost("/usr/bin/test", {"-e", mac_.dir() + "/pwned"}).status == 0);
}

// A busy or dying disk makes ioreg and diskutil slow. With both managers
// running, every tool run belongs on a background queue: the main loop, which
// also draws the window, never holds a block for anywhere near 2 s.
TEST_F(StabilizerSim, SlowToolsNeverHoldTheMainLoop) {
    {
        sim::MachineEditor editor(mac_.machine());
        editor.setToolSlow("ioreg", 2.0);
        editor.setToolSlow("diskutil", 2.0);
    }
    startReal();
    auto monitor = DiskMonitor::create(platform_);
    monitor->startMonitoring();
    sim::PlugOptions plug;
    plug.mediaName = "Travel SSD";
    const std::string id = sim::MachineEditor(mac_.machine()).plug(plug);
    const auto listed = [&] {
        for (const auto& disk : monitor->connectedDisks.get())
            if (disk.id == id) return true;
        return false;
    };

    // The scan, the monitor's start scripts, the stabilizer's controller
    // detection and its first disk pass all meet the slow tools in here.
    EXPECT_TRUE(real_->runUntil(listed, 60s));
    real_->runUntil([] { return false; }, 3s);
    const auto longest = std::chrono::duration_cast<std::chrono::milliseconds>(real_->longestMainBlock());
    EXPECT_LT(longest.count(), 100) << "the main loop ran one block for " << longest.count() << " ms";
    monitor->stopMonitoring();
}

TEST_F(StabilizerSim, RealtekTimeoutLinesDriveTheWatchdogToTheEmergencyRecovery) {
    startVirtual();
    virtual_->runUntilIdle();
    sim::MachineEditor(mac_.machine()).setUsbFault("disk4", sim::UsbFault::timeout);
    mac_.machine().clearJournal();
    virtual_->advance(30.0);
    EXPECT_EQ(logged("⚡ RTL9210B Quick Fix uygulanıyor"), 2u);
    EXPECT_EQ(journalCount("sysctl -w kern.usb.bulk_timeout=30000"), 2u);
    EXPECT_EQ(journalCount("pmset -a force"), 0u);
    virtual_->advance(15.0);
    EXPECT_EQ(logged("🚨 RTL9210B EMERGENCY RECOVERY başlatılıyor"), 1u);
    EXPECT_EQ(journalCount("pmset -a force"), 1u);
    EXPECT_EQ(journalCount("kextunload -b com.apple.iokit.IOUSBHostFamily"), 1u);
    virtual_->runUntilIdle();
    EXPECT_EQ(stabilizer_->lastStabilizationAction.get(), "🚨 RTL9210B Emergency Recovery yapıldı");

    sim::MachineEditor(mac_.machine()).setUsbFault("disk4", sim::UsbFault::clear);
    virtual_->advance(15.0);
    EXPECT_EQ(logged("⚡ RTL9210B Quick Fix uygulanıyor"), 2u);
}

TEST_F(StabilizerSim, EnumerationFailuresDriveTheSystemWideRecoveryAndItsEscalation) {
    startVirtual();
    virtual_->advance(10.0);  // the first tick sees the default machine's two USB disks
    ASSERT_EQ(stabilizer_->usbDisksProtected.get().size(), 2u);
    // Two failure lines: log show's own lines around them are not counted.
    sim::MachineEditor(mac_.machine()).addEnumerationFailures(1, "disk5");
    sim::MachineEditor(mac_.machine()).unplug("disk5");
    mac_.machine().clearJournal();
    virtual_->advance(10.0);
    EXPECT_EQ(logged("🚨 Sistem genelinde 2 enumeration failure tespit edildi"), 1u);
    EXPECT_EQ(logged("🔧 SİSTEM GENELİ ENUMERATION RECOVERY başlatıldı"), 1u);
    EXPECT_EQ(journalCount("launchctl kickstart -k system/com.apple.usbd"), 1u);
    EXPECT_EQ(stabilizer_->currentStabilityLevel.get(), StabilityLevel::stabilizing);

    virtual_->advance(5.0);
    EXPECT_EQ(logged("⚠️ Hala enumeration failure'lar devam ediyor: 2"), 1u);
    EXPECT_EQ(logged("✅ Enhanced system recovery tamamlandı"), 1u);
    EXPECT_EQ(journalCount("launchctl kickstart -k system/com.apple.diskmanagementd"), 1u);
    virtual_->runUntilIdle();
    EXPECT_EQ(stabilizer_->lastStabilizationAction.get(), "✅ Enhanced recovery tamamlandı");
    EXPECT_EQ(stabilizer_->currentStabilityLevel.get(), StabilityLevel::protecting);
}

TEST_F(StabilizerSim, AQuietLogStartsNoRecovery) {
    startVirtual();
    virtual_->advance(10.0);
    ASSERT_EQ(stabilizer_->usbDisksProtected.get().size(), 2u);
    sim::MachineEditor(mac_.machine()).unplug("disk5");
    virtual_->advance(10.0);
    EXPECT_TRUE(diagnostics_->contains("🔄 USB disk değişikliği algılandı - stabilization gerekli"));
    EXPECT_FALSE(diagnostics_->containsSubstring("🚨 Sistem genelinde "));
    EXPECT_EQ(logged("🔧 SİSTEM GENELİ ENUMERATION RECOVERY başlatıldı"), 0u);
}

// The Realtek script leaves a polling loop in the background; the program
// keeps one per controller and ends them with a stop.
TEST_F(StabilizerSim, RealtekPollingLoopsBelongToTheStabilizer) {
    plugAnotherRealtekDisk();
    startVirtual();
    virtual_->runUntilIdle();
    ASSERT_EQ(logged("🔋 RTL9210B Advanced Power Management for RTL9210B-CG"), 2u);
    EXPECT_EQ(pollingLoopGroups(mac_.dir()).size(), 2u);
    EXPECT_EQ(journalCountStartingWith("(background) /bin/sh -c "), 2u) << "each loop is in the journal";
    // Each chip's script asks system_profiler in the background; its runs are journalled too.
    EXPECT_TRUE(eventually([&] { return journalCount("system_profiler SPUSBDataType") >= 2; }, 5s));
    virtual_->advance(250.0);  // two keep-alive passes
    EXPECT_EQ(pollingLoopGroups(mac_.dir()).size(), 2u);

    stabilizer_->stopAutomaticStabilization();
    EXPECT_TRUE(eventually([&] { return pollingLoopGroups(mac_.dir()).empty(); }, 5s));
    stabilizer_->startAutomaticStabilization();  // the known list: the chip scripts run again
    virtual_->runUntilIdle();
    EXPECT_EQ(logged("🔋 RTL9210B Advanced Power Management for RTL9210B-CG"), 4u);
    EXPECT_EQ(pollingLoopGroups(mac_.dir()).size(), 2u);

    stabilizer_->endWatchdog();
    stabilizer_.reset();
    EXPECT_TRUE(eventually([&] { return pollingLoopGroups(mac_.dir()).empty(); }, 5s));
}

#ifdef VELMORA_PROGRAM_PATH
// The program itself, ended by SIGTERM, leaves no loop behind.
TEST_F(StabilizerSim, TheProgramEndsItsPollingLoopsWhenTerminated) {
    plugAnotherRealtekDisk();
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    const std::string program = VELMORA_PROGRAM_PATH;
    std::string machineArgument = mac_.dir();
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("--headless"),
                            const_cast<char*>("--machine"), machineArgument.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&quiet);

    const bool started = eventually([&] { return pollingLoopGroups(mac_.dir()).size() == 2; }, 60s);
    std::this_thread::sleep_for(1s);
    const std::size_t running = pollingLoopGroups(mac_.dir()).size();
    ::kill(pid, SIGTERM);
    int status = 0;
    const bool exited = eventually([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 30s);
    if (!exited) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(started);
    EXPECT_EQ(running, 2u);
    ASSERT_TRUE(exited);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(eventually([&] { return pollingLoopGroups(mac_.dir()).empty(); }, 5s))
        << pollingLoopGroups(mac_.dir()).size() << " loops left";
}
#endif

}  // namespace
}  // namespace velmora
