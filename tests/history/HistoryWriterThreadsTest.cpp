// The writer on real threads: several recording at once while the window
// reads, all of it stored in the end.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "foundation/data/TemporaryFolder.h"
#include "foundation/dispatch/RealScheduler.h"
#include "history/store/HistoryDatabase.h"
#include "history/store/HistoryWriter.h"

namespace velmora {
namespace {

TEST(HistoryWriterThreads, RecordersAndAReaderAtOnceLoseNothing) {
    testing::TemporaryFolder folder;
    const std::string path = folder.path() + "/History.sqlite";
    auto scheduler = RealScheduler::create(2);
    auto say = std::make_shared<CapturingDiagnostics>();
    auto writer = HistoryWriter::create(scheduler, path, "t", say);
    writer->start();
    constexpr int kThreads = 4, kEach = 300;
    std::atomic<int> finished{0};
    std::vector<std::thread> recorders;
    for (int t = 0; t < kThreads; ++t) {
        recorders.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                HistoryEvent e;
                e.time = Clock::now();
                e.disk = "media:T|" + std::to_string(t);
                e.kind = HistoryKind::vanished;
                e.detail = std::to_string(i);
                writer->record(e);
                if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            ++finished;
        });
    }
    std::size_t seenByReader = 0;
    std::thread reader([&] {
        while (finished < kThreads) {
            seenByReader = std::max(seenByReader, writer->eventsOf("media:T|0", Date{}).size());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    for (auto& r : recorders) r.join();
    reader.join();
    // A round after the last record, then one more for good measure.
    ASSERT_TRUE(scheduler->runUntil(
        [&] { return writer->eventsOf("media:T|" + std::to_string(kThreads - 1), Date{}).size() == kEach; },
        std::chrono::seconds(10)));
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(writer->eventsOf("media:T|" + std::to_string(t), Date{}).size(), static_cast<std::size_t>(kEach)) << t;
    EXPECT_LE(seenByReader, static_cast<std::size_t>(kEach));
    EXPECT_TRUE(say->lines().empty());
    writer->stop();
    scheduler->shutdown();
}

// The writer and a reader (the window, an export) may open a file that is
// still being made; whichever makes the schema, the other must find it made.
TEST(HistoryWriterThreads, ConnectionsOpeningANewFileAtOnceAllOpenIt) {
    testing::TemporaryFolder folder;
    constexpr int kRounds = 30, kConnections = 4;
    for (int round = 0; round < kRounds; ++round) {
        const std::string path = folder.path() + "/H" + std::to_string(round) + ".sqlite";
        std::atomic<int> ready{0}, opened{0};
        std::vector<std::thread> openers;
        CapturingDiagnostics say;
        for (int c = 0; c < kConnections; ++c) {
            openers.emplace_back([&] {
                ++ready;
                while (ready < kConnections) std::this_thread::yield();
                if (HistoryDatabase::open(path, say)) ++opened;
            });
        }
        for (auto& o : openers) o.join();
        ASSERT_EQ(opened, kConnections) << "round " << round << ": " << (say.lines().empty() ? "" : say.lines()[0]);
    }
}

}  // namespace
}  // namespace velmora
