#pragma once
// A thread-safe list of blocks ordered by the steady-clock time they are due
// (ties in the order they were added). Worker threads take from it, or the
// main thread drains it; either way blocks run and die outside its lock,
// because running or destroying a block may add more work.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>

#include "foundation/dispatch/Scheduler.h"
#include "foundation/dispatch/TimedQueue.h"

namespace velmora {

class WorkQueue {
public:
    using SteadyClock = std::chrono::steady_clock;
    using TimePoint = SteadyClock::time_point;
    using Duration = SteadyClock::duration;
    using Key = TimedQueue<TimePoint, Block>::Key;

    // Queues a block due after `delay`; empty (and the block dropped) once the
    // queue is closed or retired.
    std::optional<Key> post(Duration delay, Block block);
    void cancel(const Key& key);

    // Worker side: waits for the next due block; empty once the queue is
    // closed, or retired and empty, or (elastic pools) the worker has been
    // idle long enough, meaning the worker should leave.
    std::optional<Block> waitAndTake();
    // A worker finished the block it took (and destroyed it).
    void noteBlockDone();
    void noteWorkerExited() { exitedWorkers_.fetch_add(1); }
    unsigned exitedWorkers() const { return exitedWorkers_.load(); }

    // An elastic pool: the queue counts its workers (`least` to start with),
    // and whenever work is waiting while every worker is busy it calls
    // `startWorker` (outside its lock) for one more, up to `most`. A worker
    // beyond `least` that finds nothing queued for `idleExit` leaves. Set
    // before any worker runs. `startWorker` calls workerNotStarted() when no
    // thread could be made.
    void makeElastic(unsigned least, unsigned most, Duration idleExit, std::function<void()> startWorker);
    void workerNotStarted();
    unsigned workerCount() const;

    // Draining side (the main thread): the next block due now that was added
    // before `sequenceLimit`, so work added while draining waits a round.
    std::optional<Block> takeDue(std::uint64_t sequenceLimit = std::numeric_limits<std::uint64_t>::max());
    std::uint64_t nextSequence() const;
    std::optional<TimePoint> nextTime() const;
    // Waits until a block is due, something is added, interrupt() is called,
    // the queue closes, or `until` passes.
    void waitForWork(TimePoint until);
    void interrupt();
    // Called, outside the lock, after each post() so an outside event loop can wake.
    void setWakeUpHandler(std::function<void()> handler);

    // Refuses new work and drops what is pending; waiting workers leave.
    void close();
    bool isClosed() const;
    // Refuses new work but lets workers finish what is pending first.
    void retire();

    // Timer host interface.
    TimePoint now() const { return SteadyClock::now(); }
    std::optional<Key> postTimerTick(TimePoint at, Block block);
    void wakeUp();

    // Failures never escape a block into the thread that runs it: an
    // exception there would end the whole process.
    static void runCatching(Block& block) noexcept;

private:
    std::optional<Key> push(std::unique_lock<std::mutex>& lock, TimePoint at, Block& block);
    // Elastic pools: counts one more worker when work waits and none is free.
    bool claimNewWorker();
    void startClaimedWorker(std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    TimedQueue<TimePoint, Block> items_;
    std::uint64_t generation_ = 0;  // bumped by every change a waiter cares about
    bool interrupted_ = false;
    bool closed_ = false;
    bool retired_ = false;
    std::function<void()> wakeUpHandler_;
    std::atomic<unsigned> exitedWorkers_{0};

    struct Elastic {
        unsigned least = 0;
        unsigned most = 0;
        Duration idleExit{};
        std::function<void()> startWorker;
        unsigned workers = 0;  // counted from the moment one is asked for
        unsigned busy = 0;     // running a block
    };
    std::optional<Elastic> elastic_;
};

}  // namespace velmora
