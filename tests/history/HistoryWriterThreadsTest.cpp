// The writer on real threads: several recording at once while the window
// reads, all of it stored in the end.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "foundation/data/TemporaryFolder.h"
#include "foundation/dispatch/RealScheduler.h"
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

}  // namespace
}  // namespace velmora
