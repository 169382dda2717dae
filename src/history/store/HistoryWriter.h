#pragma once
// The recorder the program runs with: events are queued in memory (any
// thread, never waiting on the file) and committed on the serial queue
// "history.writer" in one transaction per round, a round at most
// `commitIntervalSeconds` after the one before, so a killed process loses at
// most that much. Throughput samples are kept at most one a minute per disk.
// The file is pruned to its limits when it opens and every hour after.
//
// Threads: record() from any thread; start() and stop() on the main thread;
// the database belongs to the queue. The timer and queued blocks hold the
// writer weakly.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/dispatch/Scheduler.h"
#include "history/record/HistoryRecorder.h"
#include "history/record/HistorySource.h"
#include "history/store/HistoryDatabase.h"

namespace velmora {

class HistoryWriter final : public HistoryRecorder,
                            public HistorySource,
                            public std::enable_shared_from_this<HistoryWriter> {
public:
    static constexpr double commitIntervalSeconds = 0.5;
    static constexpr double throughputSpacingSeconds = 60;
    static constexpr double pruneIntervalSeconds = 3600;
    // Events that wait while the file cannot take them; beyond this the
    // oldest go, so a broken disk never grows the program without bound.
    static constexpr std::size_t maxPending = 10000;

    static std::shared_ptr<HistoryWriter> create(std::shared_ptr<Scheduler> scheduler, std::string path,
                                                 std::string version, std::shared_ptr<Diagnostics> diagnostics,
                                                 HistoryLimits limits = {});
    ~HistoryWriter() override;

    void start();
    void record(HistoryEvent event) override;
    // The timer ends and one last round is queued.
    void stop();

    // Any thread but the main one: through a connection of its own, so a
    // read never waits behind a round (the log lets both go at once). What
    // is still pending is not there yet.
    std::vector<HistoryEvent> eventsOf(const std::string& disk, Date since) override;
    // The file lives in HOME/Library/Application Support/Velmora; this is
    // HOME/Downloads.
    std::string exportFolder() const override;

    // As a killed process: what is pending is dropped and nothing more is
    // written, not even by the destructor (the simulated life's kill -9).
    void abandon();

    const std::string& path() const { return path_; }

private:
    HistoryWriter(std::shared_ptr<Scheduler> scheduler, std::string path, std::string version,
                  std::shared_ptr<Diagnostics> diagnostics, HistoryLimits limits);
    void queueRound();
    void commitRound();
    void pruneIfDue();

    std::shared_ptr<Scheduler> scheduler_;
    std::string path_;
    std::string version_;
    std::shared_ptr<Diagnostics> diagnostics_;
    HistoryLimits limits_;
    std::shared_ptr<SerialQueue> queue_;
    std::shared_ptr<Timer> timer_;
    std::atomic<bool> roundQueued_{false};

    std::mutex mutex_;
    std::vector<HistoryEvent> pending_;
    std::map<std::string, Date> lastThroughput_;
    bool saidDropping_ = false;
    bool abandoned_ = false;

    std::mutex readMutex_;
    std::unique_ptr<HistoryDatabase> reader_;

    // The queue's.
    std::unique_ptr<HistoryDatabase> database_;
    bool opened_ = false;
    Date lastPrune_{};
};

}  // namespace velmora
