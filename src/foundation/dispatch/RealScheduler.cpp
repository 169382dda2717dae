#include "foundation/dispatch/RealScheduler.h"

#include <algorithm>
#include <iterator>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/dispatch/RealSerialQueue.h"
#include "foundation/dispatch/RepeatingTimer.h"
#include "foundation/dispatch/TimerRegistry.h"
#include "foundation/dispatch/WorkQueue.h"
#include "foundation/dispatch/WorkerThreads.h"

namespace velmora {

namespace {

WorkQueue::Duration toDuration(double seconds) {
    if (!(seconds > 0)) return WorkQueue::Duration::zero();
    return std::chrono::duration_cast<WorkQueue::Duration>(std::chrono::duration<double>(seconds));
}

// What processDueWork() reports when nothing is scheduled: an outside loop
// still wakes now and then, which costs nothing and survives clock trouble.
constexpr std::chrono::milliseconds idleWait = std::chrono::hours(1);
// How often runUntil() looks at its condition when no work arrives: the
// condition may be changed by other threads without queueing anything.
constexpr std::chrono::milliseconds conditionPoll{5};

}  // namespace

struct RealScheduler::State {
    const std::thread::id mainThread = std::this_thread::get_id();
    const std::shared_ptr<WorkQueue> main = std::make_shared<WorkQueue>();
    // Every repeating timer's ticks fall on this instant plus whole periods.
    const WorkQueue::TimePoint timerPhase = main->now();
    std::unique_ptr<WorkerThreads> global;
    TimerRegistry timers;
    std::atomic<bool> stopRequested{false};
    std::atomic<std::chrono::nanoseconds::rep> longestMainBlock{0};

    std::mutex mutex;
    bool shutDown = false;
    std::vector<std::unique_ptr<WorkerThreads>> serialQueues;

    std::chrono::milliseconds processDueWork() {
        if (std::this_thread::get_id() == mainThread) {
            // Only what was queued before this round runs now, so a block that
            // keeps queueing itself cannot starve an outside event loop.
            const auto limit = main->nextSequence();
            while (auto block = main->takeDue(limit)) {
                const auto started = std::chrono::steady_clock::now();
                WorkQueue::runCatching(*block);
                noteMainBlock(std::chrono::steady_clock::now() - started);
            }
        }
        auto next = main->nextTime();
        if (!next) return idleWait;
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - main->now());
        return std::clamp(wait, std::chrono::milliseconds::zero(), idleWait);
    }

    void noteMainBlock(std::chrono::steady_clock::duration took) {
        const auto ran = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
        auto longest = longestMainBlock.load(std::memory_order_relaxed);
        while (ran > longest && !longestMainBlock.compare_exchange_weak(longest, ran, std::memory_order_relaxed)) {
        }
    }

    // Joins the threads of queues whose handles are gone and whose work is
    // done; their threads have already left their loops.
    void reapFinishedQueues() {
        std::vector<std::unique_ptr<WorkerThreads>> finished;
        {
            std::lock_guard lock(mutex);
            auto split = std::stable_partition(serialQueues.begin(), serialQueues.end(),
                                               [](const auto& queue) { return !queue->finished(); });
            std::move(split, serialQueues.end(), std::back_inserter(finished));
            serialQueues.erase(split, serialQueues.end());
        }
        finished.clear();  // joins, outside the lock
    }
};

std::shared_ptr<RealScheduler> RealScheduler::create(unsigned globalThreads) {
    std::shared_ptr<RealScheduler> scheduler(new RealScheduler());
    // Global queues have no limit on concurrency: blocks stuck on a hung tool
    // must not hold back the work queued behind them.
    WorkerThreads::Elastic pool;
    pool.least = globalThreads == 0 ? 1 : globalThreads;
    scheduler->state_->global = std::make_unique<WorkerThreads>(std::make_shared<WorkQueue>(), pool);
    return scheduler;
}

RealScheduler::RealScheduler() : state_(std::make_shared<State>()) {}

RealScheduler::~RealScheduler() {
    shutdown();
}

void RealScheduler::asyncMain(Block block) {
    state_->main->post(WorkQueue::Duration::zero(), std::move(block));
}

void RealScheduler::asyncMainAfter(double seconds, Block block) {
    state_->main->post(toDuration(seconds), std::move(block));
}

std::shared_ptr<Timer> RealScheduler::scheduleRepeatingTimer(double intervalSeconds, Block tick) {
    auto timer = RepeatingTimer<WorkQueue>::start(state_->main, intervalSeconds, std::move(tick), state_->timerPhase);
    state_->timers.add(timer);
    return timer;
}

bool RealScheduler::isMainThread() const {
    return std::this_thread::get_id() == state_->mainThread;
}

std::shared_ptr<SerialQueue> RealScheduler::makeSerialQueue(std::string label, QualityOfService qos) {
    state_->reapFinishedQueues();
    auto queue = std::make_shared<WorkQueue>();
    {
        std::lock_guard lock(state_->mutex);
        if (state_->shutDown) {
            queue->close();  // a queue made after shutdown drops everything
        } else {
            state_->serialQueues.push_back(std::make_unique<WorkerThreads>(queue, 1));
        }
    }
    return std::make_shared<RealSerialQueue>(queue, std::move(label), qos);
}

void RealScheduler::asyncGlobal(QualityOfService, Block block) {
    state_->global->queue()->post(WorkQueue::Duration::zero(), std::move(block));
}

void RealScheduler::asyncGlobalAfter(QualityOfService, double seconds, Block block) {
    state_->global->queue()->post(toDuration(seconds), std::move(block));
}

void RealScheduler::sleep(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

Date RealScheduler::now() const {
    return Clock::now();
}

// These hold the state themselves: a main block may destroy this scheduler,
// which shuts it down, and the loop then ends on its closed queue.
std::chrono::milliseconds RealScheduler::processDueWork() {
    const auto state = state_;
    return state->processDueWork();
}

void RealScheduler::run() {
    if (!isMainThread()) return;
    const auto state = state_;
    auto& main = *state->main;
    while (!state->stopRequested.exchange(false) && !main.isClosed()) {
        state->processDueWork();
        main.waitForWork(main.now() + idleWait);
    }
}

bool RealScheduler::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (!isMainThread()) return done();
    const auto state = state_;
    auto& main = *state->main;
    const auto deadline = main.now() + timeout;
    for (;;) {
        if (done()) return true;
        state->processDueWork();
        if (done()) return true;
        const auto now = main.now();
        if (now >= deadline) return false;
        main.waitForWork(std::min(deadline, now + conditionPoll));
    }
}

void RealScheduler::stop() {
    state_->stopRequested.store(true);
    state_->main->interrupt();
}

void RealScheduler::setWakeUpHandler(std::function<void()> handler) {
    state_->main->setWakeUpHandler(std::move(handler));
}

void RealScheduler::shutdown() {
    auto& state = *state_;
    std::vector<std::unique_ptr<WorkerThreads>> queues;
    {
        std::lock_guard lock(state.mutex);
        state.shutDown = true;
        queues.swap(state.serialQueues);
    }
    // Everything pending is dropped before anybody waits, so no queue starts
    // another block while we wait for the pool.
    for (auto& queue : queues) queue->queue()->close();
    if (state.global) state.global->queue()->close();
    state.main->close();
    // Then the timers: a timer's block may hold an object that holds the
    // timer, a cycle only invalidation breaks.
    state.timers.invalidateAll();
    // Running blocks finish; a thread that is shutting us down from inside
    // its own block is left to finish on its own.
    if (state.global) state.global->stop();
    for (auto& queue : queues) queue->stop();
    queues.clear();
    state.main->close();  // anything the finishing blocks queued on their way out
    state.main->interrupt();
}

std::chrono::nanoseconds RealScheduler::longestMainBlock() const {
    return std::chrono::nanoseconds(state_->longestMainBlock.load(std::memory_order_relaxed));
}

void RealScheduler::noteMainBlock(std::chrono::nanoseconds took) {
    state_->noteMainBlock(took);
}

void RealScheduler::resetStallMeter() {
    state_->longestMainBlock.store(0, std::memory_order_relaxed);
}

}  // namespace velmora
