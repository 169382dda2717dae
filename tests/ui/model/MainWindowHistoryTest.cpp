// The window's disk cards and the history behind them.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "disks/DiskMonitor.h"
#include "disks/FakeDiskutil.h"
#include "foundation/data/TemporaryFolder.h"
#include "history/record/DiskIdentity.h"
#include "history/record/HistoryExport.h"
#include "support/TestPlatform.h"
#include "ui/model/MainWindowModel.h"

namespace velmora::testing {
namespace {

// Answers every disk from one list, and notes what was asked and where.
struct FakeHistorySource final : HistorySource {
    std::shared_ptr<VirtualScheduler> scheduler;
    std::vector<HistoryEvent> events;
    std::set<std::string> asked;
    std::string folder;
    std::string exportFolder() const override { return folder; }
    std::vector<std::string> readContexts;
    std::vector<HistoryEvent> eventsOf(const std::string& disk, Date since) override {
        asked.insert(disk);
        readContexts.push_back(scheduler->currentContext());
        std::vector<HistoryEvent> found;
        for (const auto& e : events)
            if (e.time >= since) found.push_back(e);
        return found;
    }
};

TEST(MainWindowHistory, AnExternalDisksCardShowsItsHistoryReadOffTheMainThreadAndKeptUpToDate) {
    TestPlatform tp;
    auto source = std::make_shared<FakeHistorySource>();
    source->scheduler = tp.scheduler;
    tp.historySource = source;
    FakeDiskutil diskutil{*tp.processes};
    auto model = MainWindowModel::create(tp.platform(), nullptr);
    const auto travel = DiskPlistFields::usbDisk("disk4", "Travel", "/Volumes/Travel");
    const auto vanished = [&](double secondsAgo) {
        return HistoryEvent{addSeconds(tp.scheduler->now(), -secondsAgo), "", "", HistoryKind::vanished, "disk2", 0, "0.1"};
    };
    source->events = {vanished(3600)};
    diskutil.plug(travel);
    model->onAppear();
    tp.scheduler->advance(3);

    const auto summary = [&] {
        for (const auto& card : model->diskList().cards)
            if (card.id == "disk4") return card.history ? card.history->summary : std::string("(none)");
        return std::string("(not listed)");
    };
    EXPECT_EQ(summary(), "1 disconnect in the last 24 hours");
    // Only the external disk is asked for, by its identity.
    std::set<std::string> external;
    for (const auto& disk : model->diskMonitor->connectedDisks.get())
        if (disk.isExternal) external.insert(diskIdentity(disk.name, disk.size));
    EXPECT_EQ(source->asked, external);
    EXPECT_EQ(external.size(), 1u);
    ASSERT_FALSE(source->readContexts.empty());
    for (const auto& context : source->readContexts) EXPECT_NE(context, "main");

    // Drops recorded meanwhile show at the next reload.
    source->events.push_back(vanished(10));
    source->events.push_back(vanished(5));
    tp.scheduler->advance(MainWindowModel::historyReloadSeconds);
    EXPECT_EQ(summary(), "3 disconnects in the last 24 hours");
}

TEST(MainWindowHistory, ExportWritesTheSelectedDisksHistoryIntoDownloadsAndNeverOverAnEarlierOne) {
    TemporaryFolder home;
    TestPlatform tp;
    auto source = std::make_shared<FakeHistorySource>();
    source->scheduler = tp.scheduler;
    source->folder = home.path() + "/Downloads";
    source->events = {{tp.scheduler->now(), "", "", HistoryKind::vanished, "disk4", 0, "0.1"}};
    tp.historySource = source;
    FakeDiskutil diskutil{*tp.processes};
    auto model = MainWindowModel::create(tp.platform(), nullptr);
    const auto travel = DiskPlistFields::usbDisk("disk4", "Travel", "/Volumes/Travel");
    diskutil.plug(travel);
    model->onAppear();
    tp.scheduler->advance(3);
    for (const auto& disk : model->diskMonitor->connectedDisks.get())
        if (disk.id == "disk4") model->selectDisk(disk);

    const std::string day = utcTimestamp(tp.scheduler->now()).substr(0, 10);
    const std::string first = source->folder + "/Velmora History - Travel - " + day + ".csv";
    for (const std::string& expected : {first, source->folder + "/Velmora History - Travel - " + day + " (2).csv"}) {
        model->exportSelectedHistory();
        EXPECT_EQ(model->historyExportStatus.get(), "Exporting…");
        tp.scheduler->runUntilIdle();
        EXPECT_EQ(model->historyExportStatus.get(), "Saved to " + expected);
        std::ifstream in(expected);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(text, historyAsCsv(source->events));
    }
    // The selected card shows it; selecting again clears it.
    for (const auto& card : model->diskList().cards)
        EXPECT_EQ(card.historyExportStatus.empty(), !card.isSelected) << card.id;
    model->selectDisk(model->selectedDisk.get().value());
    EXPECT_EQ(model->historyExportStatus.get(), "");
}

}  // namespace
}  // namespace velmora::testing
