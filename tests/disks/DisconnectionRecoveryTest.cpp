#include "disks/DisconnectionRecovery.h"

#include <gtest/gtest.h>

#include "MonitorFixture.h"
#include "foundation/process/Script.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

const std::string logQueryPrefix =
    "log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to create "
    "device\"' --start \"$(date -v-30S '+%Y-%m-%d %H:%M:%S')\" --style syslog 2>/dev/null "
    "| grep '^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] ' | grep -i -F -e ";

struct Recovery : testing::MonitorFixture {
    DiskInfo photos = disk("disk4", "Photos", true);

    DiskInfo disk(const std::string& id, const std::string& name, bool external) {
        return DiskInfo(id, name, "/dev/" + id, 1, external, external, "/Volumes/" + name, "ExFAT", false,
                        tp.scheduler->now());
    }
    void logCount(const std::string& output) { tp.processes->onScriptContaining("log show", ScriptedProcessLauncher::exited(0, output)); }
    void vanish(const DiskInfo& d) {
        monitor->recovery().handleDiskDisconnection(d);
        tp.scheduler->runUntilIdle();
    }
    // Virtual times at which diskutil ran with `verb`.
    std::vector<double> diskutilTimes(const std::string& verb) {
        auto times = std::make_shared<std::vector<double>>();
        tp.processes->on([verb](const RunSpec& s) { return s.program == "/usr/sbin/diskutil" && s.arguments[0] == verb; },
                         [this, times](const RunSpec&) {
                             times->push_back(secondsBetween(start, tp.scheduler->now()));
                             return ScriptedProcessLauncher::exited(0);
                         });
        recorded[verb] = times;
        return {};
    }
    Date start = tp.scheduler->now();
    std::map<std::string, std::shared_ptr<std::vector<double>>> recorded;
};

TEST_F(Recovery, InternalDiskThatVanishesIsNeitherCountedNorLookedUp) {
    vanish(disk("disk0", "Macintosh HD", false));
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk0"), 0);
    EXPECT_TRUE(tp.processes->runs().empty());
    EXPECT_TRUE(tp.diagnostics->lines().empty());
}

TEST_F(Recovery, ThirdDisconnectionDeclaresInstabilityAndReconnectsFiveSecondsLater) {
    diskutilTimes("resetPartition");
    vanish(photos);
    vanish(photos);
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 2);
    EXPECT_EQ(monitor->recovery().lastSeenTime("disk4"), tp.scheduler->now());
    EXPECT_TRUE(monitor->usbConnectionStable.get());
    EXPECT_TRUE(events.empty());

    vanish(photos);
    EXPECT_TRUE(tp.diagnostics->contains("⚠️ USB bağlantısı stabil değil: Photos (3 kez koptu)"));
    EXPECT_FALSE(monitor->usbConnectionStable.get());
    EXPECT_EQ(events, (std::vector<std::string>{"!disk4"}));
    tp.scheduler->advance(4.9);
    EXPECT_TRUE(recorded["resetPartition"]->empty());
    tp.scheduler->advance(0.1);
    ASSERT_EQ(*recorded["resetPartition"], (std::vector<double>{5.0}));
    EXPECT_EQ(tp.processes->runsOf("/usr/sbin/diskutil").back().arguments,
              (std::vector<std::string>{"resetPartition", "/dev/disk4"}));
    EXPECT_TRUE(tp.diagnostics->contains("🔄 USB disk yeniden bağlanmaya çalışılıyor: Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("✅ USB disk başarıyla yeniden bağlandı: Photos"));
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 0);
    EXPECT_TRUE(monitor->usbConnectionStable.get());
}

TEST_F(Recovery, ReconnectionThatExitsNonZeroEndsSilently) {
    tp.processes->onCommand("/usr/sbin/diskutil", {"resetPartition", "/dev/disk4"}, ScriptedProcessLauncher::exited(1));
    for (int i = 0; i < 3; ++i) vanish(photos);
    tp.scheduler->advance(5.0);
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 3);
    EXPECT_FALSE(monitor->usbConnectionStable.get());
    EXPECT_EQ(countDiskutil("unmount"), 0u);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("✅ USB disk"));
}

TEST_F(Recovery, ReconnectionThatCannotStartFallsBackToUnmountPauseMount) {
    tp.processes->onCommand("/usr/sbin/diskutil", {"resetPartition", "/dev/disk4"}, ScriptedProcessLauncher::startFailure("no reset"));
    diskutilTimes("unmount");
    diskutilTimes("mount");
    for (int i = 0; i < 3; ++i) vanish(photos);
    tp.scheduler->advance(10.0);
    EXPECT_TRUE(tp.diagnostics->contains("❌ USB yeniden bağlanma hatası: no reset"));
    EXPECT_EQ(*recorded["unmount"], (std::vector<double>{5.0}));
    EXPECT_EQ(*recorded["mount"], (std::vector<double>{7.0}));
    EXPECT_TRUE(tp.diagnostics->contains("✅ Disk mount/unmount ile yeniden bağlandı: Photos"));
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 0);
    EXPECT_TRUE(monitor->usbConnectionStable.get());
}

TEST_F(Recovery, MountUnmountFallbackFailures) {
    struct Case {
        const char* label;
        RunResult unmount, mount;
        const char* expectedLine;
        std::size_t mounts;
    };
    const Case cases[] = {
        {"unmount cannot start", ScriptedProcessLauncher::startFailure("no unmount"), ScriptedProcessLauncher::exited(0),
         "❌ Mount/unmount hatası: no unmount", 0},
        {"mount cannot start", ScriptedProcessLauncher::exited(1), ScriptedProcessLauncher::startFailure("no mount"),
         "❌ Mount/unmount hatası: no mount", 1},
    };
    for (const auto& c : cases) {
        testing::TestPlatform local;
        local.processes->onCommand("/usr/sbin/diskutil", {"unmount", "force", "/dev/disk4"}, c.unmount);
        local.processes->onCommand("/usr/sbin/diskutil", {"mount", "/dev/disk4"}, c.mount);
        auto m = DiskMonitor::create(local.platform());
        m->recovery().attemptMountUnmount(photos);
        EXPECT_TRUE(local.diagnostics->contains(c.expectedLine)) << c.label;
        EXPECT_EQ(local.processes->runsOf("/usr/sbin/diskutil").size(), 1 + c.mounts) << c.label;
        EXPECT_FALSE(local.diagnostics->containsSubstring("yeniden bağlandı")) << c.label;
    }
}

TEST_F(Recovery, LogCheckCountsLinesNamingTheDiskLiterally) {
    struct Case {
        const char* output;
        bool failure;
        const char* line;
    };
    const Case cases[] = {
        {"", false, nullptr},
        {"0\n", false, nullptr},
        {"       1\n", false, "📊 Enumeration failure sayısı: 1 - Photos"},
        {"2", true, "📊 Enumeration failure sayısı: 2 - Photos"},
        {"  17 \n", true, "📊 Enumeration failure sayısı: 17 - Photos"},
        {"abc", false, nullptr},
        {"3 lines", false, nullptr},
    };
    for (const auto& c : cases) {
        tp.diagnostics->clear();
        tp.processes->onScriptContaining("log show", ScriptedProcessLauncher::exited(0, c.output), 1);
        EXPECT_EQ(monitor->recovery().checkForEnumerationFailure(photos), c.failure) << c.output;
        if (c.line) {
            EXPECT_EQ(tp.diagnostics->lines(), (std::vector<std::string>{c.line})) << c.output;
        } else {
            EXPECT_TRUE(tp.diagnostics->lines().empty()) << c.output;
        }
    }
    EXPECT_EQ(tp.processes->scripts().back(), logQueryPrefix + "'Photos' | wc -l");
}

TEST_F(Recovery, OneMatchingLogLineIsOnlyAnotherDisconnection) {
    logCount("1\n");
    vanish(photos);
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 1);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("ENUMERATION FAILURE"));
    EXPECT_TRUE(monitor->usbConnectionStable.get());
}

TEST_F(Recovery, HostileNamesAndIdentifiersReachTheShellAsQuotedLiterals) {
    const std::string name = "x\"; touch /tmp/pwned; echo \"$(reboot)'";
    DiskInfo hostile("disk4", name, "/dev/disk4", 1, true, true, std::nullopt, std::nullopt, false, tp.scheduler->now());
    monitor->recovery().checkForEnumerationFailure(hostile);
    EXPECT_EQ(tp.processes->scripts().back(), logQueryPrefix + Script::quote(name) + " | wc -l");

    DiskInfo oddPath("disk4", "Photos", "/dev/disk4 $(id)", 1, true, true, std::nullopt, std::nullopt, false, tp.scheduler->now());
    monitor->recovery().performEnumerationRecovery(oddPath);
    EXPECT_NE(tp.processes->scripts().back().find("diskutil list | grep -q -F -e 'disk4' && diskutil mount '/dev/disk4 $(id)' 2>/dev/null || true"),
              std::string::npos);
}

TEST_F(Recovery, EnumerationFailureRunsTheChainThenVerifiesFiveSecondsLater) {
    logCount("2\n");
    diskutil.plug(usb("disk4", "Photos"));  // back by the time of the check
    vanish(photos);
    const std::vector<std::string> expected = {
        "📊 Enumeration failure sayısı: 2 - Photos",
        "🚨 ENUMERATION FAILURE tespit edildi: Photos",
        "🔧 ENUMERATION FAILURE RECOVERY başlatıldı: Photos",
        "🔄 USB Hub soft reset...",
        "✅ USB Hub soft reset tamamlandı",
        "🔄 Enumeration recovery: Photos",
        "✅ Enumeration recovery tamamlandı: Photos",
        "🔄 USB Controller refresh...",
        "✅ USB Controller refresh tamamlandı",
    };
    EXPECT_EQ(tp.diagnostics->lines(), expected);
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 1);
    EXPECT_FALSE(monitor->usbConnectionStable.get());
    EXPECT_TRUE(events.empty());  // an enumeration failure is not reported as instability

    const auto scripts = tp.processes->scripts();
    ASSERT_EQ(scripts.size(), 4u);
    EXPECT_EQ(scripts[1],
              "kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\nsleep 1\n"
              "kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true");
    EXPECT_EQ(scripts[2],
              "kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\nsleep 2\n"
              "kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\nsleep 1\n"
              "diskutil list | grep -q -F -e 'disk4' && diskutil mount '/dev/disk4' 2>/dev/null || true");
    EXPECT_EQ(scripts[3], "launchctl kickstart -k system/com.apple.usbd\nsleep 1\nsystem_profiler SPUSBDataType > /dev/null 2>&1 &");

    tp.scheduler->advance(4.9);
    EXPECT_EQ(listings(), 0u);
    tp.scheduler->advance(0.1);
    EXPECT_EQ(listings(), 1u);
    EXPECT_TRUE(tp.diagnostics->contains("✅ Enumeration recovery BAŞARILI: Photos"));
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 0);
    EXPECT_TRUE(monitor->usbConnectionStable.get());
}

TEST_F(Recovery, DiskStillMissingAfterTheChainGetsTheEnhancedRecoveryOnce) {
    logCount("5\n");
    vanish(photos);
    tp.scheduler->advance(30.0);
    EXPECT_TRUE(tp.diagnostics->contains("❌ Enumeration recovery BAŞARISIZ: Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("🚨 ENHANCED ENUMERATION RECOVERY başlatıldı: Photos"));
    EXPECT_TRUE(tp.diagnostics->contains("✅ Enhanced enumeration recovery tamamlandı"));
    EXPECT_EQ(tp.processes->countScriptsContaining("# USB subsystem tamamen yenile\nkextunload -b com.apple.driver.usb.cdc"), 1u);
    EXPECT_EQ(tp.processes->countScriptsContaining("launchctl kickstart -k system/com.apple.usbd\nsleep 1\n\n# Disk tarama\ndiskutil list > /dev/null 2>&1"), 1u);
    EXPECT_EQ(listings(), 1u);
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 1);
    EXPECT_FALSE(monitor->usbConnectionStable.get());
}

TEST_F(Recovery, ThirdUnplugSeenByScansMakesTheConnectionUnstable) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    for (int i = 0; i < 3; ++i) {
        diskutil.unplug("disk4");
        tp.scheduler->advance(5.0);
        diskutil.plug(usb("disk4", "Photos"));
        tp.scheduler->advance(5.0);
    }
    EXPECT_EQ(std::count(events.begin(), events.end(), "!disk4"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "-disk4"), 3);
    EXPECT_EQ(countDiskutil("resetPartition"), 1u);
}

TEST_F(Recovery, DestroyedMonitorsDelayedRecoveryDoesNothing) {
    for (int i = 0; i < 3; ++i) vanish(photos);
    monitor.reset();
    tp.scheduler->advance(10.0);
    EXPECT_EQ(tp.processes->runsOf("/usr/sbin/diskutil").size(), 0u);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("yeniden bağlanmaya"));
}

}  // namespace
}  // namespace velmora
