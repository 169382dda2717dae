// A writer in a real process killed with SIGKILL while it records: the file
// always opens as it is, and holds every event recorded more than a second
// before the kill, in order and without gaps.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "foundation/dispatch/RealScheduler.h"
#include "history/store/HistoryWriter.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora {
namespace {

using Steady = std::chrono::steady_clock;

// The child: records event after event, telling the parent each number once
// it is handed over, until it is killed.
[[noreturn]] void recordUntilKilled(const std::string& path, int round, int toParent) {
    auto scheduler = RealScheduler::create(1);
    auto writer = HistoryWriter::create(scheduler, path, "test", std::make_shared<CapturingDiagnostics>());
    writer->start();
    std::thread recorder([&] {
        for (int i = 0;; ++i) {
            HistoryEvent e;
            e.time = Clock::now();
            e.disk = "media:Kill|" + std::to_string(round);
            e.diskName = "Kill";
            e.kind = HistoryKind::vanished;
            e.detail = std::to_string(i);
            writer->record(e);
            if (::write(toParent, &i, sizeof i) != sizeof i) ::_exit(3);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    scheduler->run();
    ::_exit(4);
}

TEST(HistoryKill, EveryEventOlderThanOneSecondBeforeAKillIsKeptAndTheFileOpens) {
    sim::testing::ScratchMachine scratch;
    const std::string path = scratch.scratch() + "/History.sqlite";
    std::mt19937 random(25);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            recordUntilKilled(path, round, fds[1]);
        }
        ::close(fds[1]);
        std::vector<std::pair<int, Steady::time_point>> handed;
        std::thread reader([&] {
            int i;
            while (::read(fds[0], &i, sizeof i) == sizeof i) handed.emplace_back(i, Steady::now());
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1200 + random() % 1300));
        const auto killedAt = Steady::now();
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        reader.join();
        ::close(fds[0]);

        std::size_t owed = 0;
        for (const auto& [i, at] : handed)
            if (at < killedAt - std::chrono::seconds(1)) owed = static_cast<std::size_t>(i) + 1;
        ASSERT_GT(owed, 0u) << "the child recorded nothing in time";

        CapturingDiagnostics say;
        auto db = HistoryDatabase::open(path, say);
        ASSERT_TRUE(db);
        EXPECT_TRUE(say.lines().empty()) << say.lines().front();
        HistoryQuery query;
        query.disk = "media:Kill|" + std::to_string(round);
        const auto stored = db->events(query).value();
        ASSERT_GE(stored.size(), owed) << "of " << handed.size() << " handed over";
        for (std::size_t i = 0; i < stored.size(); ++i) ASSERT_EQ(stored[i].detail, std::to_string(i));
    }
}

}  // namespace
}  // namespace velmora
