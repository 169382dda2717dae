// What the delegate puts into the disks' history.
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/root/HeadlessWindowHost.h"
#include "support/RecordingHistory.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

struct NoConsole final : ProcessConsole {
    void setEnvironment(const std::string&, const std::string&) override {}
    bool redirectStandardErrorToNull() override { return true; }
};

DiskInfo usbDisk(const std::string& id, const std::string& name, std::int64_t size, bool external = true,
                 std::optional<std::string> mountPoint = std::nullopt) {
    DiskInfo made(id, name, "/dev/" + id, size, external, external, std::move(mountPoint), "APFS", false, Date{});
    made.busProtocol = external ? "USB" : "Apple Fabric";
    return made;
}

TEST(AppDelegateHistory, ADiskKeepsOneIdentityAcrossPlugsUnderNewNamesAndOnlyExternalDisksAreKept) {
    testing::TestPlatform tp;
    auto history = std::make_shared<testing::RecordingHistory>();
    tp.history = history;
    auto delegate = AppDelegate::create(tp.platform(), std::make_shared<NoConsole>(),
                                        MainWindowController::create(std::make_shared<HeadlessWindowHost>(), nullptr));
    delegate->applicationDidFinishLaunching();
    tp.scheduler->runUntilIdle();

    const auto first = usbDisk("disk4", "Travel SSD", 500'000'000'000, true, "/Volumes/Travel");
    const auto again = usbDisk("disk6", "Travel SSD", 500'000'000'000);
    const auto twin = usbDisk("disk7", "Travel SSD", 1'000'000'000'000);  // same model, other size
    delegate->handleDiskConnected(first);
    delegate->handleDiskDisconnected(first);   // pulled while mounted
    delegate->handleDiskConnected(again);
    delegate->handleDiskDisconnected(again);   // nothing mounted: ejected first
    delegate->handleDiskConnected(twin);
    delegate->handleDiskConnected(usbDisk("disk0", "APPLE SSD", 500'000'000'000, false));
    tp.scheduler->runUntilIdle();

    struct Expected {
        HistoryKind kind;
        std::string detail;
        bool sameDiskAsFirst;
    };
    const std::vector<Expected> expected{{HistoryKind::connected, "disk4", true},
                                         {HistoryKind::vanished, "disk4", true},
                                         {HistoryKind::connected, "disk6", true},
                                         {HistoryKind::ejected, "disk6", true},
                                         {HistoryKind::connected, "disk7", false}};
    std::vector<HistoryEvent> kept;
    for (const auto& e : history->events())
        if (e.kind != HistoryKind::throughput) kept.push_back(e);
    ASSERT_EQ(kept.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kept[i].kind, expected[i].kind);
        EXPECT_EQ(kept[i].detail, expected[i].detail);
        EXPECT_EQ(kept[i].diskName, "Travel SSD");
        EXPECT_EQ(kept[i].disk == kept[0].disk, expected[i].sameDiskAsFirst);
        EXPECT_EQ(kept[i].disk.find("disk"), std::string::npos) << "never the diskN name: " << kept[i].disk;
    }
}

}  // namespace
}  // namespace velmora
