#include <gtest/gtest.h>

#include "StabilizerHarness.h"

namespace velmora::testing {
namespace {

const char* kHealthScript =
    "# RTL9210B timeout ve hata kontrolü\n"
    "if ioreg -p IOUSB -l | grep -q \"RTL9210.*timeout\\|RTL9210.*error\\|RTL9210.*disconnect\"; then\n"
    "    echo \"TIMEOUT_DETECTED\"\n"
    "else\n"
    "    echo \"HEALTHY\"\n"
    "fi";

const char* kQuickFix =
    "# RTL9210B Quick Fix\n"
    "# 1. USB device refresh\n"
    "ioreg -p IOUSB -c IOUSBHostDevice | grep -A 10 \"RTL9210\" > /dev/null 2>&1 || true\n"
    "\n"
    "# 2. Timeout değerlerini tekrar set et\n"
    "sysctl -w kern.usb.bulk_timeout=30000 2>/dev/null || true\n"
    "sysctl -w kern.usb.control_timeout=10000 2>/dev/null || true\n"
    "\n"
    "# 3. Active polling\n"
    "diskutil list > /dev/null 2>&1 || true";

const char* kEmergency =
    "# RTL9210B Emergency Recovery Protocol\n"
    "echo \"🚨 RTL9210B Emergency Recovery başladı\"\n"
    "\n"
    "# 1. USB Mass Storage driver'ı yeniden yükle\n"
    "kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "sleep 3\n"
    "kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
    "\n"
    "# 2. USB stack reset\n"
    "kextunload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "sleep 2\n"
    "kextload -b com.apple.iokit.IOUSBHostFamily 2>/dev/null || true\n"
    "\n"
    "# 3. Power management sıfırla\n"
    "pmset -a force\n"
    "pmset -a usbsleep 0\n"
    "pmset -a disksleep 0\n"
    "\n"
    "# 4. USB 3.0 controller reset\n"
    "sysctl -w hw.usb.reset=1 2>/dev/null || true\n"
    "\n"
    "echo \"✅ RTL9210B Emergency Recovery tamamlandı\"";

// Runs one watchdog tick per answer and returns, per tick, "quick", "emergency" or "-".
std::vector<std::string> ticks(StabilizerHarness& h, const std::vector<std::string>& answers) {
    h.answerInTurn("TIMEOUT_DETECTED", answers);
    h.start();
    std::vector<std::string> outcome;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        h.tp.processes->clearRecord();
        h.tp.scheduler->advance(15.0);
        std::size_t quick = h.scriptsWith("# RTL9210B Quick Fix");
        std::size_t emergency = h.scriptsWith("# RTL9210B Emergency Recovery Protocol");
        outcome.push_back(quick && !emergency ? "quick" : emergency && !quick ? "emergency" : quick ? "both" : "-");
    }
    return outcome;
}

TEST(RTL9210Watchdog, ConsecutiveDetectionsEscalateAndHealthyTicksReset) {
    const std::string D = "TIMEOUT_DETECTED\n";
    const std::string H = "HEALTHY\n";
    struct Case {
        std::vector<std::string> answers;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{D, D, D, D}, {"quick", "quick", "emergency", "quick"}},
        {{D, H, D}, {"quick", "-", "quick"}},
        {{D, D, H, D, D, D}, {"quick", "quick", "-", "quick", "quick", "emergency"}},
        // Empty output and any other text count as healthy; the marker may sit inside other text.
        {{D, "", D, "garbage", "x TIMEOUT_DETECTED y"}, {"quick", "-", "quick", "-", "quick"}},
    };
    for (const auto& c : cases) {
        StabilizerHarness h;
        EXPECT_EQ(ticks(h, c.answers), c.expected);
    }
}

TEST(RTL9210Watchdog, RunsOnItsOwnQueueWithTheExactScripts) {
    StabilizerHarness h;
    std::vector<std::string> contexts;
    h.tp.processes->on([](const RunSpec& request) { return request.program == "/bin/zsh"; },
                       [&](const RunSpec&) {
                           contexts.push_back(h.tp.scheduler->currentContext());
                           return ScriptedProcessLauncher::exited(0, "TIMEOUT_DETECTED\n");
                       });
    h.start();
    h.tp.scheduler->advance(45.0);
    auto zsh = h.tp.processes->runsOf("/bin/zsh");
    ASSERT_EQ(zsh.size(), 3u);
    EXPECT_EQ(zsh[0].arguments, (std::vector<std::string>{"-c", kHealthScript}));
    EXPECT_EQ(zsh[0].effect, RunEffect::nothing) << "the check only reads: shared disk answers are kept";
    for (const auto& run : h.tp.processes->runsOf("/bin/sh")) {
        if (run.arguments.back().find("# RTL9210B") == 0) {
            EXPECT_EQ(run.effect, RunEffect::anything) << "the fixes may change anything";
        }
    }
    EXPECT_EQ(contexts, std::vector<std::string>(3, "usb.auto.stabilizer.watchdog"));
    EXPECT_EQ(h.scriptsContaining("Quick Fix"), (std::vector<std::string>{kQuickFix, kQuickFix}));
    EXPECT_EQ(h.scriptsContaining("Emergency Recovery Protocol"), std::vector<std::string>{kEmergency});
    EXPECT_EQ(h.logged("⚠️ RTL9210B timeout tespit edildi, emergency recovery başlatılıyor"), 3u);
    EXPECT_EQ(h.logged("⚡ RTL9210B Quick Fix uygulanıyor"), 2u);
    EXPECT_EQ(h.logged("🚨 RTL9210B EMERGENCY RECOVERY başlatılıyor"), 1u);
    h.tp.scheduler->runUntilIdle();
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "🚨 RTL9210B Emergency Recovery yapıldı");
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::protecting);
}

TEST(RTL9210Watchdog, HealthCheckThatCannotStartCountsAsHealthy) {
    StabilizerHarness h;
    h.answerInTurn("TIMEOUT_DETECTED", {"TIMEOUT_DETECTED"});
    h.start();
    h.tp.scheduler->advance(30.0);
    h.tp.processes->on([](const RunSpec& request) { return request.program == "/bin/zsh"; },
                       [](const RunSpec&) { return ScriptedProcessLauncher::startFailure("no zsh"); }, 1);
    h.tp.scheduler->advance(15.0);  // fails to start: resets the count of 2
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(15.0);
    EXPECT_EQ(h.scriptsWith("# RTL9210B Quick Fix"), 1u);
    EXPECT_TRUE(h.tp.diagnostics->containsSubstring("❌ Script execution error: "));
}

TEST(PowerAssertions, FailedCreationLogsTheStatusAndSkipsTheIdleAssertion) {
    StabilizerHarness h;
    h.tp.power->failCreate("PreventSystemSleep", -536870201);
    h.start();
    EXPECT_TRUE(h.logged("❌ Power protection error: -536870201"));
    EXPECT_EQ(h.tp.power->createCalls("NoIdleSleepAssertion"), 0);
    h.stabilizer->stopAutomaticStabilization();
    EXPECT_FALSE(h.logged("✅ Power protection deaktif"));
}

TEST(PowerAssertions, RenewalReleasesPausesAndLeavesIdleAssertionsHeld) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha")});
    h.start();
    h.tp.scheduler->advance(10.0);  // the disk appears: immediate stabilization renews
    EXPECT_EQ(h.logged("✅ Power protection deaktif"), 1u);
    EXPECT_EQ(h.logged("🔄 Power assertion yenilendi"), 1u);
    EXPECT_EQ(h.tp.power->createCalls("PreventSystemSleep"), 2);
    EXPECT_EQ(h.tp.power->heldCount("PreventSystemSleep"), 1u);
    EXPECT_EQ(h.tp.power->heldCount("NoIdleSleepAssertion"), 2u);
    EXPECT_TRUE(h.logged("✅ RTL9210B Protection Active - Assertion ID: 1003"));
    // The renewal paused the queue for 0.1 s of (virtual) time; the
    // completion comes 2 s after the stabilization ends.
    const Date start = dateFromSeconds(1767225600.0);
    EXPECT_NEAR(secondsBetween(start, h.tp.scheduler->now()), 10.1, 1e-6);
    h.tp.scheduler->advance(1.99);
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::stabilizing);
    h.tp.scheduler->advance(0.02);
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::protecting);
}

TEST(PowerAssertions, RenewalWithoutAHeldAssertionStillRetakesAndLogs) {
    StabilizerHarness h;
    h.tp.power->failCreate("PreventSystemSleep", 5);
    h.attach({usbDisk("disk4", "Alpha")});
    h.start();
    h.tp.scheduler->advance(10.0);
    EXPECT_EQ(h.logged("✅ Power protection deaktif"), 0u);
    EXPECT_EQ(h.logged("❌ Power protection error: 5"), 2u);
    EXPECT_EQ(h.logged("🔄 Power assertion yenilendi"), 1u);
}

}  // namespace
}  // namespace velmora::testing
