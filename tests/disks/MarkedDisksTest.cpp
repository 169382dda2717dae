#include <gtest/gtest.h>

#include "MonitorFixture.h"
#include "disks/MarkedDiskStore.h"

namespace velmora {
namespace {

using MarkedDisks = testing::MonitorFixture;

std::optional<std::vector<std::string>> stored(const testing::TestPlatform& tp) {
    return tp.defaults->stringList("MarkedAsInternalDisks");
}

bool markedInList(const DiskMonitor& monitor, const std::string& id) {
    for (const auto& d : monitor.connectedDisks.get())
        if (d.id == id) return d.isMarkedAsInternal;
    ADD_FAILURE() << id << " is not listed";
    return false;
}

TEST_F(MarkedDisks, MarkingChangesTheListSavesAndReportsInOrder) {
    diskutil.plug(usb("disk4", "Photos"));
    diskutil.plug(usb("disk5", "Music"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    monitor->markDiskAsInternal("disk5");
    EXPECT_FALSE(markedInList(*monitor, "disk5"));  // applied on the main thread, later
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(markedInList(*monitor, "disk5"));
    EXPECT_FALSE(markedInList(*monitor, "disk4"));
    EXPECT_EQ(stored(tp), (std::vector<std::string>{"disk5"}));
    EXPECT_LT(lineIndex("💾 Marked disks saved: [\"disk5\"]"), lineIndex("✅ Music internal olarak işaretlendi ve kaydedildi"));
}

TEST_F(MarkedDisks, MarkingAnUnlistedDiskDoesNothing) {
    monitor->markDiskAsInternal("disk9");
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(tp.diagnostics->lines().empty());
    EXPECT_FALSE(tp.defaults->object("MarkedAsInternalDisks"));
}

// Marking B while A is unplugged must not forget A's mark.
TEST_F(MarkedDisks, AMarkedDiskThatIsAwayKeepsItsMarkWhenAnotherIsMarked) {
    diskutil.plug(usb("disk4", "Photos"));
    diskutil.plug(usb("disk5", "Music"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    monitor->markDiskAsInternal("disk4");
    tp.scheduler->runUntilIdle();

    diskutil.unplug("disk4");
    tp.scheduler->advance(5.0);
    ASSERT_EQ(ids(), (std::vector<std::string>{"disk5"}));
    monitor->markDiskAsInternal("disk5");
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(stored(tp), (std::vector<std::string>{"disk5", "disk4"}));

    diskutil.plug(usb("disk4", "Photos"));
    tp.scheduler->advance(5.0);
    EXPECT_TRUE(markedInList(*monitor, "disk4"));
    EXPECT_TRUE(tp.diagnostics->contains("📁 Photos daha önce internal olarak işaretlenmiş - durumu geri yüklendi"));
}

TEST_F(MarkedDisks, MarkSurvivesARestartOfTheMonitor) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    monitor->markDiskAsInternal("disk4");
    tp.scheduler->runUntilIdle();
    monitor->stopMonitoring();
    monitor.reset();

    tp.diagnostics->clear();
    auto second = DiskMonitor::create(tp.platform());
    bool markedOnArrival = false;
    second->onDiskConnected = [&](const DiskInfo& d) { markedOnArrival = d.isMarkedAsInternal; };
    second->startMonitoring();
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(markedOnArrival);
    EXPECT_LT(lineIndex("📁 Photos daha önce internal olarak işaretlenmiş - durumu geri yüklendi"),
              lineIndex("Yeni disk tespit edildi: Photos"));
}

TEST_F(MarkedDisks, StoredListIsReadOncePerThirtySeconds) {
    tp.defaults->setStringList("MarkedAsInternalDisks", {"disk9"});
    monitor->startMonitoring();
    tp.scheduler->advance(25.0);  // scans at 0, 5, …, 25
    EXPECT_EQ(listings(), 6u);
    EXPECT_EQ(tp.diagnostics->count("📁 Marked disks cache yenilendi: [\"disk9\"]"), 1u);

    // A change made behind the cache's back is not seen until it expires.
    tp.defaults->setStringList("MarkedAsInternalDisks", {"disk4"});
    diskutil.plug(usb("disk4", "Photos"));
    tp.scheduler->advance(5.0);  // the scan at 30 s reloads (exactly 30 s old)
    EXPECT_EQ(tp.diagnostics->count("📁 Marked disks cache yenilendi: [\"disk4\"]"), 1u);
    EXPECT_TRUE(markedInList(*monitor, "disk4"));
}

TEST_F(MarkedDisks, ACachedListHidesChangesUntilItExpires) {
    tp.defaults->setStringList("MarkedAsInternalDisks", {"disk9"});
    monitor->startMonitoring();
    tp.scheduler->advance(10.0);
    tp.defaults->setStringList("MarkedAsInternalDisks", {"disk4"});
    diskutil.plug(usb("disk4", "Photos"));
    tp.scheduler->advance(5.0);
    EXPECT_FALSE(markedInList(*monitor, "disk4"));
}

TEST_F(MarkedDisks, SavingDropsTheCacheSoTheNextScanRereadsOnce) {
    diskutil.plug(usb("disk4", "Photos"));
    monitor->startMonitoring();
    tp.scheduler->runUntilIdle();
    monitor->markDiskAsInternal("disk4");
    tp.scheduler->runUntilIdle();
    tp.scheduler->advance(10.0);  // two scans after the save
    EXPECT_EQ(tp.diagnostics->count("📁 Marked disks cache yenilendi: [\"disk4\"]"), 1u);
}

TEST_F(MarkedDisks, StoredValueThatIsNotAListOfStringsMeansNoMarks) {
    const PlistValue bad[] = {PlistValue("disk4"), PlistValue(PlistArray{PlistValue("disk4"), PlistValue(7)})};
    for (const auto& value : bad) {
        testing::TestPlatform local;
        testing::FakeDiskutil fake(*local.processes);
        fake.plug(usb("disk4", "Photos"));
        local.defaults->set("MarkedAsInternalDisks", value);
        auto m = DiskMonitor::create(local.platform());
        m->startMonitoring();
        local.scheduler->runUntilIdle();
        ASSERT_EQ(m->connectedDisks.get().size(), 1u);
        EXPECT_FALSE(m->connectedDisks.get()[0].isMarkedAsInternal);
        EXPECT_FALSE(local.diagnostics->containsSubstring("Marked disks cache"));
    }
}

TEST(MarkedDiskStorePrinting, PrintsLikeAnArrayOfQuotedStrings) {
    EXPECT_EQ(MarkedDiskStore::printed({}), "[]");
    EXPECT_EQ(MarkedDiskStore::printed({"disk4", "disk5"}), "[\"disk4\", \"disk5\"]");
    EXPECT_EQ(MarkedDiskStore::printed({"a\"b"}), "[\"a\\\"b\"]");
}

}  // namespace
}  // namespace velmora
