#include "disks/PeriodicDiskStabilizer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "MonitorFixture.h"
#include "foundation/process/Script.h"

namespace velmora {
namespace {

using testing::DiskPlistFields;
using testing::FakeWorkspace;
using MonitorStabilizer = testing::MonitorFixture;

const std::vector<std::string> startScripts = {
    "pmset -a disksleep 0\npmset -a hibernatemode 0\npmset -a powernap 0\npmset -a sleep 0\n"
    "sysctl -w hw.usb.power_save=0 2>/dev/null || true",
    "sysctl -w kern.ipc.maxsockbuf=8388608\nsysctl -w vm.pressure_disable_threshold=5\nsysctl -w kern.maxvnodes=100000",
    "sysctl -w kern.maxfiles=65536\nsysctl -w kern.maxfilesperproc=32768\nsysctl -w kern.ipc.somaxconn=1024",
};

const char* const ioregTail =
    " || {\n    kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n    sleep 1\n"
    "    kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n}";

std::vector<std::string> scriptsAfter(const testing::TestPlatform& tp, std::size_t skip) {
    auto all = tp.processes->scripts();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(skip, all.size())), all.end());
}

TEST_F(MonitorStabilizer, StartRunsTheThreeTuningScriptsWithTheirMessages) {
    monitor->startMonitoring();
    EXPECT_TRUE(tp.processes->scripts().empty()) << "the main thread never waits for a script";
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(tp.processes->scripts(), startScripts);
    const std::vector<std::string> messages = {"Otomatik USB Stabilizer başlatıldı", "✅ USB güç yönetimi optimize edildi",
                                               "🚀 USB I/O priority artırıldı", "🎨 Adobe tolerant modu aktif"};
    long previous = -1;
    for (const auto& m : messages) {
        EXPECT_GT(lineIndex(m), previous) << m;
        previous = lineIndex(m);
    }
}

TEST_F(MonitorStabilizer, InactiveGateSkipsTheStabilizerEntirely) {
    monitor->autoStabilizerActive.set(false);
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->advance(60.0);
    EXPECT_TRUE(tp.processes->scripts().empty());
    EXPECT_FALSE(tp.diagnostics->containsSubstring("Stabilizer"));
    EXPECT_FALSE(tp.diagnostics->containsSubstring("stabilization"));
}

TEST_F(MonitorStabilizer, NoExternalDiskMeansAQuietPass) {
    diskutil.plug(DiskPlistFields::internalDisk("disk0", "APPLE SSD AP0512Q"));
    monitor->startMonitoring();
    tp.scheduler->advance(30.0);
    EXPECT_EQ(tp.processes->scripts().size(), 3u);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("stabilization"));
}

TEST_F(MonitorStabilizer, NormalPassEveryThirtySecondsQuotesPathsAndMountPoints) {
    diskutil.plug(DiskPlistFields::usbDisk("disk4", "My Disk", "/Volumes/My Disk"));
    diskutil.plug(DiskPlistFields::usbDisk("disk5", "Raw", std::nullopt));
    // A whole disk with partitions: diskutil answers an empty mount point.
    diskutil.plug(DiskPlistFields::usbDisk("disk6", "Parted", ""));
    monitor->startMonitoring();
    tp.scheduler->advance(29.9);
    EXPECT_FALSE(tp.diagnostics->contains("📊 Normal USB stabilization"));
    const std::size_t before = tp.processes->scripts().size();
    tp.scheduler->advance(0.1);
    EXPECT_EQ(tp.diagnostics->count("📊 Normal USB stabilization"), 1u);
    EXPECT_EQ(scriptsAfter(tp, before),
              (std::vector<std::string>{
                  "diskutil info '/dev/disk4' > /dev/null 2>&1 || diskutil mount '/dev/disk4' 2>/dev/null",
                  "mount -o remount,noatime '/Volumes/My Disk' 2>/dev/null || true",
                  "diskutil info '/dev/disk5' > /dev/null 2>&1 || diskutil mount '/dev/disk5' 2>/dev/null",
                  "diskutil info '/dev/disk6' > /dev/null 2>&1 || diskutil mount '/dev/disk6' 2>/dev/null",
              }));
    tp.scheduler->advance(30.0);
    EXPECT_EQ(tp.diagnostics->count("📊 Normal USB stabilization"), 2u);
}

TEST_F(MonitorStabilizer, EnhancedPassWhileACreativeApplicationRuns) {
    diskutil.plug(DiskPlistFields::usbDisk("disk4", "Photos", "/Volumes/Foto's \"RAW\""));
    diskutil.plug(DiskPlistFields::usbDisk("disk5", "Raw", std::nullopt));
    tp.workspace->setApplications({FakeWorkspace::app("com.adobe.Photoshop", "Adobe Photoshop")});
    monitor->startMonitoring();
    tp.scheduler->advance(29.0);
    const std::size_t before = tp.processes->scripts().size();
    tp.scheduler->advance(1.0);
    EXPECT_TRUE(tp.diagnostics->contains("🎨 Adobe + USB diskler tespit edildi - enhanced stabilization"));
    EXPECT_EQ(scriptsAfter(tp, before),
              (std::vector<std::string>{
                  "diskutil info '/dev/disk4' > /dev/null 2>&1 || diskutil mount '/dev/disk4' 2>/dev/null",
                  "ioreg -l -p IOUSB | grep -q -F -e " + Script::quote("Foto's \"RAW\"") + ioregTail,
                  "mount -o remount,noatime,async " + Script::quote("/Volumes/Foto's \"RAW\"") + " 2>/dev/null || true",
                  "diskutil info '/dev/disk5' > /dev/null 2>&1 || diskutil mount '/dev/disk5' 2>/dev/null",
                  "ioreg -l -p IOUSB | grep -q -F -e 'Raw'" + std::string(ioregTail),
                  "sysctl -w vm.pressure_disable_threshold=3\nsync",
              }));
}

TEST_F(MonitorStabilizer, NoToolRunsOnTheMainThread) {
    std::vector<std::string> contexts;
    tp.processes->on(
        [&](const RunSpec&) {
            contexts.push_back(tp.scheduler->currentContext());
            return false;
        },
        [](const RunSpec&) { return testing::ScriptedProcessLauncher::exited(0); });
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->advance(30.0);
    ASSERT_TRUE(tp.diagnostics->contains("📊 Normal USB stabilization"));
    for (const auto& context : contexts) EXPECT_NE(context, "main");
}

// A pass stuck on a hung tool for ten minutes: the ticks meanwhile queue
// nothing, and the first pass after it works on the disks listed by then.
TEST_F(MonitorStabilizer, HungPassSkipsTicksAndTheNextPassSeesTheDisksOfNow) {
    const auto keepMounted = [](const std::string& id) { return "diskutil info '/dev/" + id + "' > /dev/null"; };
    tp.processes->on(
        [&](const RunSpec& run) { return run.arguments.size() == 2 && run.arguments[1].find(keepMounted("disk4")) == 0; },
        [&](const RunSpec&) {
            tp.scheduler->stall(600.0);
            return testing::ScriptedProcessLauncher::exited(0);
        },
        1);
    std::size_t mostWaiting = 0;
    auto probe = tp.scheduler->scheduleRepeatingTimer(1.0, [&] {
        mostWaiting = std::max(mostWaiting, tp.scheduler->pendingCount("disk.monitor.stabilizer"));
    });
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->asyncMainAfter(100.0, [&] { diskutil.plug(usb("disk5", "Music")); });

    tp.scheduler->advance(630.0);  // the stuck pass ends
    const std::size_t before = tp.processes->scripts().size();
    tp.scheduler->advance(30.0);   // the next tick
    probe->invalidate();

    EXPECT_LE(mostWaiting, 1u);
    EXPECT_EQ(tp.diagnostics->count("📊 Normal USB stabilization"), 2u);
    const auto after = scriptsAfter(tp, before);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front().find(keepMounted("disk4")), 0u);
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [&](const std::string& s) { return s.find(keepMounted("disk5")) == 0; }), 1);
}

TEST(DiskStabilizerAdobe, BundleIdentifierContainingAdobeOrCreativeInAnyCase) {
    struct Case {
        std::vector<std::optional<std::string>> bundles;
        bool expected;
    };
    const Case cases[] = {
        {{"com.apple.finder"}, false},
        {{"com.ADOBE.AfterEffects"}, true},
        {{"org.CreativeStudio.tool"}, true},
        {{"com.apple.finder", "com.Adobe.acc"}, true},
        {{std::nullopt, "com.apple.Safari"}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        testing::TestPlatform tp;
        std::vector<RunningApplication> apps;
        for (const auto& b : c.bundles) {
            RunningApplication app;
            app.bundleIdentifier = b;
            apps.push_back(app);
        }
        tp.workspace->setApplications(apps);
        EXPECT_EQ(PeriodicDiskStabilizer(tp.platform()).isAdobeApplicationRunning(), c.expected)
            << (c.bundles.empty() || !c.bundles.back() ? "-" : *c.bundles.back());
    }
}

}  // namespace
}  // namespace velmora
