// The writer on virtual time: what reaches the file, and when.
#include <gtest/gtest.h>

#include "foundation/data/TemporaryFolder.h"
#include "foundation/dispatch/VirtualScheduler.h"
#include "history/store/HistoryWriter.h"

namespace velmora {
namespace {

using testing::TemporaryFolder;

struct Fixture {
    TemporaryFolder folder;
    std::shared_ptr<VirtualScheduler> scheduler = std::make_shared<VirtualScheduler>();
    std::shared_ptr<CapturingDiagnostics> say = std::make_shared<CapturingDiagnostics>();
    std::string path = folder.path() + "/Velmora/History.sqlite";
    std::shared_ptr<HistoryWriter> writer = HistoryWriter::create(scheduler, path, "9.9", say);

    HistoryEvent at(double seconds, HistoryKind kind = HistoryKind::connected, std::string disk = "media:A|1") {
        HistoryEvent e;
        e.time = addSeconds(scheduler->now(), seconds);
        e.disk = std::move(disk);
        e.diskName = "A";
        e.kind = kind;
        return e;
    }
    std::vector<HistoryEvent> stored() {
        std::string error;
        auto db = HistoryDatabase::openExisting(path, error);
        return db ? db->events({}).value() : std::vector<HistoryEvent>{};
    }
};

TEST(HistoryWriter, EachEventIsInTheFileWithinOneSecondAndNeverWrittenByTheCaller) {
    Fixture f;
    f.writer->start();
    f.scheduler->runUntilIdle();
    // Recorded at these offsets into a round; each must be stored a second later at the latest.
    for (double offset : {0.0, 0.1, 0.49, 0.5, 0.99}) {
        SCOPED_TRACE(offset);
        f.scheduler->advance(offset);
        const auto before = f.stored().size();
        f.writer->record(f.at(0));
        EXPECT_EQ(f.stored().size(), before) << "recording only queues";
        f.scheduler->advance(1.0);
        ASSERT_EQ(f.stored().size(), before + 1);
        EXPECT_EQ(f.stored().back().version, "9.9");
    }
    EXPECT_TRUE(f.say->lines().empty());
}

TEST(HistoryWriter, ThroughputIsKeptAtMostOnceAMinutePerDiskAndStopWritesWhatIsLeft) {
    Fixture f;
    f.writer->start();
    // Every 10 s for five minutes, on two disks.
    for (int i = 0; i < 30; ++i) {
        f.writer->record(f.at(0, HistoryKind::throughput, "media:A|1"));
        f.writer->record(f.at(0, HistoryKind::throughput, "media:B|2"));
        f.scheduler->advance(10);
    }
    f.writer->record(f.at(0, HistoryKind::vanished));
    f.writer->stop();
    f.scheduler->runUntilIdle();
    const auto stored = f.stored();
    ASSERT_EQ(stored.size(), 11u);
    EXPECT_EQ(stored.back().kind, HistoryKind::vanished);
}

}  // namespace
}  // namespace velmora
