#include "disks/DiskMonitor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "MonitorFixture.h"

namespace velmora {
namespace {

using testing::DiskPlistFields;
using DiskMonitorScan = testing::MonitorFixture;

TEST_F(DiskMonitorScan, StartScansAtOnceThenEveryFiveSecondsAndOnlyOnce) {
    monitor->startMonitoring();
    monitor->startMonitoring();
    EXPECT_EQ(tp.diagnostics->count("Disk izleme başlatıldı"), 1u);
    tp.scheduler->runUntilIdle();
    EXPECT_LT(lineIndex("Disk izleme başlatıldı"), lineIndex("Otomatik USB Stabilizer başlatıldı"));
    EXPECT_EQ(listings(), 1u);
    tp.scheduler->advance(4.9);
    EXPECT_EQ(listings(), 1u);
    tp.scheduler->advance(0.1);
    EXPECT_EQ(listings(), 2u);
    tp.scheduler->advance(10.0);
    EXPECT_EQ(listings(), 4u);
    EXPECT_TRUE(monitor->isMonitoring());
}

// A listing stuck on a hung diskutil for ten minutes: the scan ticks meanwhile
// queue nothing behind it, and scanning goes on after it.
TEST_F(DiskMonitorScan, HungListingSkipsScanTicksInsteadOfQueueingThem) {
    tp.processes->on(
        [](const RunSpec& run) {
            return run.program == "/usr/sbin/diskutil" && !run.arguments.empty() && run.arguments[0] == "list";
        },
        [&](const RunSpec&) {
            tp.scheduler->stall(600.0);
            return testing::ScriptedProcessLauncher::exited(0);
        },
        1);
    std::size_t mostWaiting = 0;
    auto probe = tp.scheduler->scheduleRepeatingTimer(1.0, [&] {
        mostWaiting = std::max(mostWaiting, tp.scheduler->pendingCount("disk.monitor"));
    });
    monitor->startMonitoring();
    tp.scheduler->advance(620.0);
    const std::size_t before = listings();
    tp.scheduler->advance(10.0);
    probe->invalidate();
    EXPECT_LE(mostWaiting, 1u);
    EXPECT_EQ(listings(), before + 2);
}

TEST_F(DiskMonitorScan, ScanWithinThreeSecondsDoesNothingAtAll) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->scanDisks();
    tp.scheduler->runUntilIdle();
    monitor->scanDisks();  // now the disk is known, so a scan would query its status
    tp.scheduler->advance(2.9);
    monitor->scanDisks();
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(listings(), 1u);
    EXPECT_EQ(statusQueries(), 0u);

    tp.scheduler->advance(0.1);  // exactly three seconds later: allowed
    monitor->scanDisks();
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(listings(), 2u);
    EXPECT_EQ(statusQueries(), 1u);
}

TEST_F(DiskMonitorScan, NewDiskIsAppendedOnceCallbackFirstThenMessageAndStatus) {
    diskutil.plug(usb("disk4", "Photos"));
    diskutil.plug(usb("disk2", "Archive"));
    bool messageBeforeCallback = false;
    monitor->onDiskConnected = [&](const DiskInfo& d) {
        events.push_back("+" + d.id);
        messageBeforeCallback |= tp.diagnostics->contains("Yeni disk tespit edildi: " + d.name);
    };
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(ids(), (std::vector<std::string>{"disk4", "disk2"}));
    EXPECT_EQ(events, (std::vector<std::string>{"+disk4", "+disk2"}));
    EXPECT_FALSE(messageBeforeCallback);
    EXPECT_TRUE(tp.diagnostics->contains("Yeni disk tespit edildi: Photos"));

    tp.scheduler->advance(10.0);
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(monitor->diskStatus.get().at("disk4"), "Connected");
    EXPECT_EQ(tp.diagnostics->count("Yeni disk tespit edildi: Photos"), 1u);
}

TEST_F(DiskMonitorScan, StatusIsStoredOnlyWhenItDiffersFromTheLastOne) {
    diskutil.plug(usb("disk4", "Photos"));
    std::vector<std::string> stored;
    monitor->diskStatus.observe([&](const auto& statuses) { stored.push_back(statuses.at("disk4")); });
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    for (const char* text : {"Yes", "Yes", "No", "No", "Yes"}) {
        diskutil.plug(usb("disk4", "Photos"), std::string("   Mounted: ") + text + "\n");
        tp.scheduler->advance(5.0);
    }
    EXPECT_EQ(statusQueries(), 5u);
    EXPECT_EQ(stored, (std::vector<std::string>{"Connected", "Disconnected", "Connected"}));
}

TEST_F(DiskMonitorScan, DiskListedTwiceBeforeTheAppendRunsIsAddedOnce) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->performDiskScan();
    tp.scheduler->sleep(3.0);  // the main thread has not run the append yet
    monitor->performDiskScan();
    EXPECT_EQ(listings(), 2u);
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(ids(), (std::vector<std::string>{"disk4"}));
    EXPECT_EQ(events, (std::vector<std::string>{"+disk4"}));
}

TEST_F(DiskMonitorScan, AppendOfAnAlreadyListedDiskIsRefusedWithAMessage) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->performDiskScan();
    // Another append of the same disk reached the list first.
    monitor->connectedDisks.set({DiskInfo("disk4", "Photos", "/dev/disk4", 1, true, true, std::nullopt, std::nullopt,
                                          false, tp.scheduler->now())});
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(tp.diagnostics->contains("⚠️ Disk zaten listede mevcut: Photos"));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ids().size(), 1u);
}

TEST_F(DiskMonitorScan, VanishedDiskIsRemovedWithCallbackAndCountedWhenExternal) {
    diskutil.plug(usb("disk4", "Photos"));
    diskutil.plug(DiskPlistFields::internalDisk("disk0", "APPLE SSD AP0512Q"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    diskutil.unplug("disk4");
    diskutil.unplug("disk0");
    tp.scheduler->advance(5.0);
    EXPECT_TRUE(ids().empty());
    EXPECT_EQ(events, (std::vector<std::string>{"+disk4", "+disk0", "-disk4", "-disk0"}));
    EXPECT_TRUE(tp.diagnostics->contains("Disk kayıp: Photos"));
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk4"), 1);
    EXPECT_EQ(monitor->recovery().disconnectionCount("disk0"), 0);
    // Only the external disk was looked up in the log.
    EXPECT_EQ(tp.processes->countScriptsContaining("log show"), 1u);
}

TEST_F(DiskMonitorScan, FailedListingRemovesEveryDiskAndTheyReturnLater) {
    diskutil.plug(usb("disk4", "Photos"));
    diskutil.plug(usb("disk5", "Music"));
    monitor->startMonitoring();
    tp.scheduler->advance(5.0);
    EXPECT_EQ(monitor->diskStatus.get().size(), 2u);
    diskutil.failListing(true);
    tp.scheduler->advance(5.0);
    EXPECT_TRUE(ids().empty());
    EXPECT_EQ(std::count(events.begin(), events.end(), "-disk4") + std::count(events.begin(), events.end(), "-disk5"), 2);
    EXPECT_EQ(monitor->diskStatus.get().size(), 2u);  // statuses of removed disks are kept
    diskutil.failListing(false);
    tp.scheduler->advance(5.0);
    EXPECT_EQ(ids(), (std::vector<std::string>{"disk4", "disk5"}));
    EXPECT_EQ(events.size(), 6u);
}

TEST_F(DiskMonitorScan, ManualRefreshShufflesSkipsThrottledScanAndStillCompletes) {
    for (const char* id : {"disk2", "disk3", "disk4", "disk5", "disk6"}) diskutil.plug(usb(id, std::string("V") + id));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    const auto before = ids();
    events.clear();
    tp.scheduler->advance(1.0);

    monitor->refreshDisksWithCompletion();
    EXPECT_TRUE(tp.diagnostics->contains("🔄 Diskler manuel olarak yenileniyor..."));
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(tp.diagnostics->contains("🔀 Disk listesi yeniden sıralandı"));
    auto after = ids();
    EXPECT_TRUE(std::is_permutation(after.begin(), after.end(), before.begin()));
    tp.scheduler->advance(0.4);
    EXPECT_TRUE(events.empty());
    tp.scheduler->advance(0.1);
    EXPECT_EQ(events, (std::vector<std::string>{"refreshed"}));
    EXPECT_EQ(listings(), 1u);  // throttled
    EXPECT_TRUE(tp.diagnostics->contains("✅ Disk yenileme tamamlandı"));

    // Later than three seconds, the refresh scans.
    tp.scheduler->advance(3.0);
    monitor->refreshDisksWithCompletion();
    tp.scheduler->advance(0.5);
    EXPECT_EQ(listings(), 2u);
}

TEST_F(DiskMonitorScan, StoppingEndsScansAndGatesTheStabilizerPass) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    monitor->stopMonitoring();
    EXPECT_TRUE(tp.diagnostics->contains("Disk izleme durduruldu"));
    EXPECT_FALSE(monitor->isMonitoring());
    tp.scheduler->advance(60.0);
    EXPECT_EQ(listings(), 1u);
    EXPECT_FALSE(tp.diagnostics->contains("📊 Normal USB stabilization"));
}

TEST_F(DiskMonitorScan, DestroyedMonitorsTimersAndQueuedBlocksDoNothing) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    std::weak_ptr<DiskMonitor> weak = monitor;
    monitor.reset();
    EXPECT_TRUE(weak.expired());
    tp.scheduler->advance(120.0);
    EXPECT_EQ(listings(), 0u);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("Yeni disk"));
    EXPECT_FALSE(tp.diagnostics->containsSubstring("stabilization"));
    EXPECT_TRUE(events.empty());
}

TEST_F(DiskMonitorScan, DestroyedMonitorDropsPendingAppendsAndRemovals) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->performDiskScan();  // an append is now waiting for the main thread
    monitor.reset();
    tp.scheduler->advance(10.0);
    EXPECT_FALSE(tp.diagnostics->containsSubstring("Yeni disk"));
    EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace velmora
