#include <gtest/gtest.h>

#include <algorithm>

#include "StabilizerHarness.h"

namespace velmora::testing {
namespace {

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<RunSpec> healthChecks(const StabilizerHarness& h) {
    std::vector<RunSpec> found;
    for (const auto& run : h.tp.processes->runsOf("/bin/sh")) {
        if (run.arguments.at(1).find("(Mount Point|Device Node)") != std::string::npos) found.push_back(run);
    }
    return found;
}

TEST(USBDiskMonitoring, ANewDiskIsStabilizedAtOnce) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Samsung T7", "/Volumes/My Disk")});
    h.start();
    h.tp.scheduler->advance(10.0);
    EXPECT_EQ(h.stabilizer->usbDisksProtected.get(), std::vector<std::string>{"Samsung T7"});
    EXPECT_EQ(h.logged("🔄 USB disk değişikliği algılandı - stabilization gerekli"), 1u);
    EXPECT_EQ(h.logged("⚡ IMMEDIATE USB STABILIZATION başlatıldı"), 1u);
    EXPECT_EQ(h.logged("🔧 Individual stabilization: Samsung T7"), 1u);
    EXPECT_EQ(h.scriptsContaining("diskutil mount"), std::vector<std::string>{"diskutil mount '/dev/disk4'"});
    // Quoted, a mount point with spaces reaches mount as one argument.
    EXPECT_EQ(h.scriptsContaining("remount"),
              std::vector<std::string>{"mount -o remount,noatime '/Volumes/My Disk' 2>/dev/null || true"});
    EXPECT_EQ(h.scriptsContaining("ioreg -l -p IOUSB"),
              std::vector<std::string>{"ioreg -l -p IOUSB | grep -A 10 -B 10 -F -e 'Samsung T7'"});
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::stabilizing);
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "⚡ Anında stabilizasyon uygulanıyor...");
    // No disk vanished: no enumeration check.
    EXPECT_EQ(h.scriptsWith("log show"), 0u);

    auto checks = healthChecks(h);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].arguments, (std::vector<std::string>{
                                       "-c", "diskutil info '/dev/disk4' 2>/dev/null | grep -E \"(Mount Point|Device "
                                             "Node)\" > /dev/null"}));
    EXPECT_EQ(checks[0].output, OutputWiring::inherit);

    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(10.0);  // same disk: no new stabilization, but a new health check
    EXPECT_EQ(h.logged("⚡ IMMEDIATE USB STABILIZATION başlatıldı"), 1u);
    EXPECT_EQ(healthChecks(h).size(), 1u);
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ Anında stabilizasyon tamamlandı");
}

TEST(USBDiskMonitoring, NoMountPointMeansNoRemount) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha")});
    h.start();
    h.tp.scheduler->advance(10.0);
    EXPECT_EQ(h.scriptsWith("remount"), 0u);
    EXPECT_EQ(h.scriptsWith("diskutil mount '/dev/disk4'"), 1u);
}

TEST(USBDiskMonitoring, ConnectionQualityNeedsSpeedAndHigh) {
    const std::pair<const char*, bool> cases[] = {
        {"\"Device Speed\" = 2 High", true},
        {"Speed\nHigh", true},
        {"\"Device Speed\" = 3 high", false},
        {"HighSpeed", true},
        {"", false},
    };
    for (const auto& [tree, good] : cases) {
        StabilizerHarness h;
        h.tp.processes->onScriptContaining("ioreg -l -p IOUSB", ScriptedProcessLauncher::exited(0, tree));
        h.attach({usbDisk("disk4", "Alpha")});
        h.start();
        h.tp.scheduler->advance(10.0);
        EXPECT_EQ(h.logged("✅ USB bağlantı kalitesi: Yüksek - Alpha"), good ? 1u : 0u) << tree;
        EXPECT_EQ(h.logged("⚠️ USB bağlantı kalitesi: Düşük - Alpha"), good ? 0u : 1u) << tree;
        EXPECT_EQ(h.logged("🔄 USB bağlantı iyileştirmesi: Alpha"), good ? 0u : 1u) << tree;
        EXPECT_EQ(h.scriptsContaining("kextunload"),
                  good ? std::vector<std::string>{}
                       : std::vector<std::string>{
                             "kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\nsleep 1\n"
                             "kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true"});
    }
}

TEST(USBDiskMonitoring, DuplicateNamesCountOnceButEveryDiskIsChecked) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Same")});
    h.start();
    h.tp.scheduler->advance(10.0);
    h.attach({usbDisk("disk4", "Same"), usbDisk("disk5", "Same")});
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(10.0);
    EXPECT_EQ(h.stabilizer->usbDisksProtected.get(), std::vector<std::string>{"Same"});
    EXPECT_EQ(h.logged("⚡ IMMEDIATE USB STABILIZATION başlatıldı"), 1u);
    EXPECT_EQ(healthChecks(h).size(), 2u);
}

TEST(USBDiskMonitoring, SwappingOneDiskForAnotherIsNotAChange) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha")});
    h.start();
    h.tp.scheduler->advance(10.0);
    h.attach({usbDisk("disk5", "Beta")});
    h.tp.scheduler->advance(10.0);
    EXPECT_EQ(h.stabilizer->usbDisksProtected.get(), std::vector<std::string>{"Beta"});
    EXPECT_EQ(h.logged("⚡ IMMEDIATE USB STABILIZATION başlatıldı"), 1u);
    EXPECT_EQ(h.scriptsWith("log show"), 0u);
}

TEST(USBDiskMonitoring, TheLastDiskVanishingStabilizesAndChecksTheLog) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha"), usbDisk("disk5", "Beta")});
    h.start();
    h.tp.scheduler->advance(10.0);
    EXPECT_EQ(sorted(h.stabilizer->usbDisksProtected.get()), (std::vector<std::string>{"Alpha", "Beta"}));
    h.attach({});
    h.tp.processes->clearRecord();
    h.tp.diagnostics->clear();
    h.tp.scheduler->advance(10.0);
    EXPECT_TRUE(h.stabilizer->usbDisksProtected.get().empty());
    EXPECT_EQ(h.logged("⚡ IMMEDIATE USB STABILIZATION başlatıldı"), 1u);
    EXPECT_FALSE(h.tp.diagnostics->containsSubstring("Individual stabilization"));
    EXPECT_EQ(h.logged("🔄 Power assertion yenilendi"), 1u);
    EXPECT_EQ(h.scriptsWith("date -v-60S"), 1u);
    h.tp.scheduler->advance(2.2);
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ Anında stabilizasyon tamamlandı");
}

TEST(USBDiskMonitoring, AFailingListingAfterDisksLooksLikeDisksVanishing) {
    StabilizerHarness h;
    h.attach({usbDisk("disk4", "Alpha")});
    h.start();
    h.tp.scheduler->advance(10.0);
    h.tp.processes->onCommand("/usr/sbin/diskutil", {"list", "-plist"},
                              ScriptedProcessLauncher::startFailure("gone"));
    h.tp.scheduler->advance(10.0);
    EXPECT_TRUE(h.logged("❌ USB disk listesi alınamadı: gone"));
    EXPECT_EQ(h.logged("⚡ IMMEDIATE USB STABILIZATION başlatıldı"), 2u);
    EXPECT_EQ(h.scriptsWith("date -v-60S"), 1u);
}

TEST(DiskHealth, QuickCheckFailureRecoversAndAStartFailureOnlyLogs) {
    struct Case {
        RunResult result;
        bool failed;
        bool error;
    };
    const Case cases[] = {
        {ScriptedProcessLauncher::exited(0), false, false},
        {ScriptedProcessLauncher::exited(1), true, false},
        {ScriptedProcessLauncher::startFailure(), false, true},
    };
    for (const auto& c : cases) {
        StabilizerHarness h;
        h.tp.processes->onScriptContaining("(Mount Point|Device Node)", c.result);
        h.attach({usbDisk("disk4", "Alpha")});
        h.start();
        h.tp.scheduler->advance(10.0);
        EXPECT_EQ(h.logged("⚠️ Health check failed: Alpha"), c.failed ? 1u : 0u);
        EXPECT_EQ(h.logged("❌ Health check error: Alpha"), c.error ? 1u : 0u);
        EXPECT_EQ(h.logged("🔧 Individual disk recovery: Alpha"), c.failed ? 1u : 0u);
        EXPECT_EQ(h.scriptsContaining("unmount force"),
                  c.failed ? std::vector<std::string>{"# Disk'i unmount et ve tekrar mount et\n"
                                                      "diskutil unmount force '/dev/disk4' 2>/dev/null || true\n"
                                                      "sleep 1\n"
                                                      "diskutil mount '/dev/disk4' 2>/dev/null || true"}
                           : std::vector<std::string>{});
    }
}

TEST(DiskHealth, CycleCheckRecoversOnMissingDiskOrErrorText) {
    const std::pair<const char*, bool> cases[] = {
        {"Could not find disk: No such file or directory", true},
        {"   Device Node: /dev/disk4 error", true},
        {"   Device Node: /dev/disk4\n   Mount Point: /Volumes/A\n", false},
        {"Error", false},  // case-sensitive
        {"", false},
    };
    for (const auto& [output, recovers] : cases) {
        StabilizerHarness h;
        h.tp.processes->onScriptContaining("File System", ScriptedProcessLauncher::exited(0, output));
        h.attach({usbDisk("disk4", "Alpha")});
        h.start();
        h.tp.scheduler->advance(30.0);
        EXPECT_EQ(h.logged("⚠️ USB disk health sorunu: Alpha"), recovers ? 1u : 0u) << output;
        EXPECT_EQ(h.logged("🚑 Disk recovery başlatıldı: Alpha"), recovers ? 1u : 0u) << output;
        EXPECT_EQ(h.scriptsWith("diskutil unmount force '/dev/disk4' 2>/dev/null || true\nsleep 2\n"
                                "diskutil mount '/dev/disk4' 2>/dev/null || true"),
                  recovers ? 1u : 0u)
            << output;
    }
}

}  // namespace
}  // namespace velmora::testing
