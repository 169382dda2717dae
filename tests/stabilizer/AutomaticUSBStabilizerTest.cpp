#include "stabilizer/AutomaticUSBStabilizer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "stabilizer/ShortTimeText.h"
#include "StabilizerHarness.h"

namespace velmora::testing {
namespace {

const char* kNoSleepScript = "pmset -a disksleep 0\npmset -a sleep 0\npmset -a hibernatemode 0\npmset -a powernap 0";
const char* kVirtualMemoryScript = "sysctl -w vm.pressure_disable_threshold=5\nsysctl -w kern.maxvnodes=100000";
const char* kSocketScript =
    "sysctl -w kern.ipc.maxsockbuf=8388608\nsysctl -w net.inet.tcp.sendspace=1048576\n"
    "sysctl -w net.inet.tcp.recvspace=1048576";

std::size_t listings(const StabilizerHarness& h) {
    std::size_t n = 0;
    for (const auto& run : h.tp.processes->runsOf("/usr/sbin/diskutil")) n += run.arguments.at(0) == "list";
    return n;
}

TEST(AutomaticUSBStabilizer, StartingPublishesAndTakesBothAssertions) {
    StabilizerHarness h;
    h.start();
    EXPECT_TRUE(h.stabilizer->isActive.get());
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "🚀 Automatic USB stabilization started");
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::monitoring);  // queued, not yet run
    EXPECT_EQ(h.tp.power->heldCount("PreventSystemSleep"), 1u);
    EXPECT_EQ(h.tp.power->heldCount("NoIdleSleepAssertion"), 1u);
    EXPECT_LT(h.logIndex("🎯 Automatic USB Stabilizer: STARTED"),
              h.logIndex("📊 System will automatically keep USB disks stable"));
    EXPECT_LT(h.logIndex("📊 System will automatically keep USB disks stable"),
              h.logIndex("🚨 RTL9210B Emergency Recovery System başlatıldı"));

    h.tp.scheduler->runUntilIdle();
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::protecting);
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ All USB controllers stable");
    EXPECT_TRUE(h.logged("✅ RTL9210B Protection Active - Assertion ID: 1001"));
    EXPECT_TRUE(h.logged("✅ USB Timeout Prevention Active - ID: 1002"));
}

TEST(AutomaticUSBStabilizer, SecondStartChangesNothing) {
    StabilizerHarness h;
    h.start();
    h.stabilizer->startAutomaticStabilization();
    h.tp.scheduler->advance(30.0);
    EXPECT_EQ(h.logged("🎯 Automatic USB Stabilizer: STARTED"), 1u);
    EXPECT_EQ(h.tp.power->createCalls("PreventSystemSleep"), 1);
    EXPECT_EQ(h.scriptsWith("USB Product Name"), 1u);
    // One monitoring timer (ticks at 10, 20, 30) and one cycle (at 30).
    EXPECT_EQ(listings(h), 4u);
    EXPECT_EQ(h.tp.processes->runsOf("/bin/zsh").size(), 2u);
}

TEST(AutomaticUSBStabilizer, AfterStopOnlyAdobeDetectionAndWatchdogGoOn) {
    StabilizerHarness h;
    h.start();
    h.tp.scheduler->runUntilIdle();
    h.stabilizer->stopAutomaticStabilization();
    EXPECT_FALSE(h.stabilizer->isActive.get());
    EXPECT_TRUE(h.logged("✅ Power protection deaktif"));
    EXPECT_TRUE(h.logged("🛑 Automatic USB Stabilizer: DURDURULDU"));
    EXPECT_EQ(h.tp.power->heldCount("PreventSystemSleep"), 0u);
    EXPECT_EQ(h.tp.power->heldCount("NoIdleSleepAssertion"), 1u);  // never given back
    h.tp.scheduler->runUntilIdle();
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::monitoring);
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "Automatic stabilization stopped");
    EXPECT_FALSE(h.stabilizer->powerManagementActive.get());

    h.tp.processes->clearRecord();
    h.tp.workspace->setApplications({FakeWorkspace::app("com.adobe.Photoshop", "Adobe Photoshop")});
    h.tp.scheduler->advance(120.0);
    EXPECT_EQ(listings(h), 0u);
    EXPECT_EQ(h.scriptsWith(kNoSleepScript), 0u);
    EXPECT_EQ(h.tp.processes->runsOf("/bin/zsh").size(), 8u);
    EXPECT_EQ(h.logged("🎨 Adobe aktivitesi algılandı: Adobe Photoshop"), 1u);
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::maximum);
}

TEST(AutomaticUSBStabilizer, RestartSchedulesOneFreshSetOfTimers) {
    StabilizerHarness h;
    h.start();
    h.stabilizer->stopAutomaticStabilization();
    h.stabilizer->startAutomaticStabilization();
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(15.0);
    EXPECT_EQ(listings(h), 1u);
    // The earlier watchdog was ended by the restart, so only one health check runs.
    EXPECT_EQ(h.tp.processes->runsOf("/bin/zsh").size(), 1u);
}

TEST(AutomaticUSBStabilizer, DroppingTheLastReferenceStopsAndReleases) {
    StabilizerHarness h;
    h.start();
    h.tp.scheduler->runUntilIdle();
    std::weak_ptr<AutomaticUSBStabilizer> weak = h.stabilizer;
    h.end();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(h.logged("🛑 Automatic USB Stabilizer: DURDURULDU"));
    EXPECT_EQ(h.tp.power->heldCount("PreventSystemSleep"), 0u);
    // Its timers no longer do anything.
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(120.0);
    EXPECT_TRUE(h.tp.processes->runs().empty());
}

TEST(AutomaticUSBStabilizer, WithoutDisksTheCycleRunsOnlyThePowerAndMemoryScripts) {
    StabilizerHarness h;
    h.attach({});
    h.start();
    h.tp.scheduler->advance(30.0);
    EXPECT_EQ(h.scriptsWith("kern.ipc.maxsockbuf"), 0u);
    EXPECT_EQ(h.scriptsContaining("pmset -a disksleep 0"), std::vector<std::string>{kNoSleepScript});
    EXPECT_EQ(h.scriptsContaining("vm.pressure_disable_threshold"), std::vector<std::string>{kVirtualMemoryScript});
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(),
              "Stabilization issue completed (" + shortTimeText(h.tp.scheduler->now()) + ")");
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::protecting);
}

TEST(AutomaticUSBStabilizer, CycleChecksEachDiskAndTunesSocketsOncePerDisk) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha"), usbDisk("disk5", "Beta")});
    h.start();
    h.tp.scheduler->advance(30.0);
    EXPECT_EQ(h.scriptsContaining("kern.ipc.maxsockbuf"), (std::vector<std::string>{kSocketScript, kSocketScript}));
    auto checks = h.scriptsContaining("File System");
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0], "diskutil info '/dev/disk4' | grep -E \"(Device Node|Mount Point|File System)\"");
    EXPECT_EQ(checks[1], "diskutil info '/dev/disk5' | grep -E \"(Device Node|Mount Point|File System)\"");
}

TEST(AutomaticUSBStabilizer, LevelAndActionSequenceForADiskAtStart) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha")});
    std::vector<std::string> actions;
    std::vector<StabilityLevel> levels;
    h.start();
    h.stabilizer->lastStabilizationAction.observe([&](const std::string& a) { actions.push_back(a); });
    h.stabilizer->currentStabilityLevel.observe([&](StabilityLevel l) { levels.push_back(l); });
    h.tp.scheduler->advance(30.0);
    EXPECT_EQ(actions, (std::vector<std::string>{
                           "✅ System in automatic protection mode",
                           "✅ All USB controllers stable",
                           "⚡ Anında stabilizasyon uygulanıyor...",
                           "✅ Anında stabilizasyon tamamlandı",
                           "Stabilization issue completed (" + shortTimeText(h.tp.scheduler->now()) + ")",
                       }));
    EXPECT_EQ(levels, (std::vector<StabilityLevel>{StabilityLevel::protecting, StabilityLevel::stabilizing,
                                                   StabilityLevel::protecting}));
}

TEST(AdobeDetection, OrderedListComparisonDrivesTheProtectionMode) {
    StabilizerHarness h;
    h.start();
    auto photoshop = FakeWorkspace::app("com.adobe.Photoshop", "Adobe Photoshop");
    auto suite = FakeWorkspace::app("com.Creative.Suite", "Suite");
    RunningApplication unnamed = FakeWorkspace::app("COM.ADOBE.AfterFX", "x");
    unnamed.localizedName.reset();
    RunningApplication noBundle = FakeWorkspace::app("", "Adobe Lookalike");
    noBundle.bundleIdentifier.reset();
    auto other = FakeWorkspace::app("com.example.adobe-free", "Other");  // bundle id decides, not the name
    auto namedAdobe = FakeWorkspace::app("com.example.editor", "Adobe Bridge");

    struct Step {
        std::vector<RunningApplication> apps;
        const char* logLine;  // nullptr: nothing changes
        StabilityLevel level;
    };
    const Step steps[] = {
        {{namedAdobe, noBundle}, nullptr, StabilityLevel::protecting},
        {{photoshop, suite}, "🎨 Adobe aktivitesi algılandı: Adobe Photoshop, Suite", StabilityLevel::maximum},
        {{suite, photoshop}, "🎨 Adobe aktivitesi algılandı: Suite, Adobe Photoshop", StabilityLevel::maximum},
        {{suite, photoshop}, nullptr, StabilityLevel::maximum},
        {{unnamed, other}, "🎨 Adobe aktivitesi algılandı: COM.ADOBE.AfterFX, Other", StabilityLevel::maximum},
        {{}, "✅ Adobe aktivitesi durdu - normal koruma moduna geçiş", StabilityLevel::protecting},
    };
    for (const auto& step : steps) {
        h.tp.diagnostics->clear();
        h.tp.processes->clearRecord();
        h.tp.workspace->setApplications(step.apps);
        h.tp.scheduler->advance(60.0);
        auto lines = h.tp.diagnostics->lines();
        bool adobeLine = false;
        for (const auto& line : lines) adobeLine |= line.find("Adobe aktivitesi") != std::string::npos;
        if (step.logLine) {
            EXPECT_TRUE(h.logged(step.logLine)) << step.logLine;
        } else {
            EXPECT_FALSE(adobeLine);
        }
        EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), step.level);
    }
}

TEST(AdobeDetection, ProtectionScriptsReachTheShellWithoutSudo) {
    StabilizerHarness h;
    h.start();
    std::vector<std::string> actions;
    h.stabilizer->lastStabilizationAction.observe([&](const std::string& a) { actions.push_back(a); });
    auto has = [&](const std::string& a) { return std::find(actions.begin(), actions.end(), a) != actions.end(); };
    h.tp.workspace->setApplications({FakeWorkspace::app("com.adobe.Photoshop", "Adobe Photoshop")});
    h.tp.scheduler->advance(60.0);
    EXPECT_TRUE(has("🛡️ Maksimum koruma - Adobe aktivitesi algılandı"));
    EXPECT_LT(h.logIndex("🛡️ ENHANCED PROTECTION aktif - Adobe apps running"),
              h.logIndex("🚀 MAXIMUM USB PROTECTION aktif"));
    EXPECT_EQ(h.scriptsWith(
                  "pmset -a usbsleep 0\n"
                  "kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
                  "kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true"),
              1u);
    EXPECT_EQ(h.scriptsContaining("power_reservation"),
              std::vector<std::string>{"sysctl -w hw.usb.power_reservation=500"});
    EXPECT_EQ(h.scriptsContaining("somaxconn"),
              std::vector<std::string>{"sysctl -w kern.ipc.somaxconn=1024\nsysctl -w kern.maxfiles=65536\n"
                                       "sysctl -w kern.maxfilesperproc=32768"});

    h.tp.processes->clearRecord();
    h.tp.workspace->setApplications({});
    h.tp.scheduler->advance(60.0);
    EXPECT_TRUE(has("🟢 Normal koruma moduna geçiş"));
    EXPECT_TRUE(h.logged("📊 STANDARD USB PROTECTION aktif"));
    EXPECT_EQ(h.scriptsContaining("usbsleep"), std::vector<std::string>{"pmset -a usbsleep 0"});
}

// diskutil hangs for ten minutes on the stabilizer's queue: the ticks of its
// four timers meanwhile queue at most one block each, the watchdog's checks go
// on from their own queue, and the first pass after the hang sees the disk
// plugged during it.
TEST(AutomaticUSBStabilizer, HungToolSkipsTicksAndLeavesTheWatchdogRunning) {
    StabilizerHarness h;
    h.tp.processes->onScriptContaining("USB Product Name", ScriptedProcessLauncher::exited(0, "\"JMicron JMS567\" USB Product Name\n"));
    h.attach({usbDisk("disk4", "Alpha")});
    h.tp.processes->on(
        [](const RunSpec& run) { return run.program == "/usr/sbin/diskutil" && run.arguments.at(0) == "list"; },
        [&](const RunSpec&) {
            h.tp.scheduler->stall(600.0);
            return ScriptedProcessLauncher::exited(0, diskListPlist({"disk4"}));
        },
        1);
    std::size_t mostQueued = 0;
    std::size_t mostWatchdogQueued = 0;
    auto probe = h.tp.scheduler->scheduleRepeatingTimer(1.0, [&] {
        mostQueued = std::max(mostQueued, h.tp.scheduler->pendingCount("usb.auto.stabilizer"));
        mostWatchdogQueued = std::max(mostWatchdogQueued, h.tp.scheduler->pendingCount("usb.auto.stabilizer.watchdog"));
    });
    h.start();
    h.tp.scheduler->asyncMainAfter(100.0, [&] { h.attach({usbDisk("disk4", "Alpha"), usbDisk("disk5", "Beta")}); });

    h.tp.scheduler->advance(600.0);
    EXPECT_EQ(h.tp.processes->runsOf("/bin/zsh").size(), 40u);  // every 15 s despite the hang
    // The hung pass ends at 610 with what it listed at 10; the tick then lists anew.
    h.tp.scheduler->advance(15.0);
    probe->invalidate();

    EXPECT_LE(mostQueued, 4u);
    EXPECT_LE(mostWatchdogQueued, 1u);
    EXPECT_EQ(h.stabilizer->usbDisksProtected.get(), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(h.logged("🔄 USB disk değişikliği algılandı - stabilization gerekli"), 2u);
}

}  // namespace
}  // namespace velmora::testing
