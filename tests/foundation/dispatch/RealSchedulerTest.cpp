#include "foundation/dispatch/RealScheduler.h"
#include "foundation/dispatch/WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmora {
namespace {

using namespace std::chrono_literals;

// Generous: these only bound a failure, a passing run never waits this long.
constexpr auto patience = 10s;

// A one-shot signal between threads that never waits forever.
class Signal {
public:
    void raise() {
        // Notifying under the lock: the waiter may destroy the signal as soon
        // as it sees the flag.
        std::lock_guard lock(mutex_);
        raised_ = true;
        changed_.notify_all();
    }
    bool wait(std::chrono::milliseconds timeout = patience) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return raised_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

class RealSchedulerTest : public ::testing::Test {
protected:
    std::shared_ptr<RealScheduler> scheduler = RealScheduler::create(4);
    const std::thread::id testThread = std::this_thread::get_id();

    bool runUntil(const std::function<bool()>& done) { return scheduler->runUntil(done, patience); }
};

TEST_F(RealSchedulerTest, SerialQueueRunsBlocksOneAtATimeInEachProducersOrder) {
    constexpr int producers = 4;
    constexpr int perProducer = 250;
    auto queue = scheduler->makeSerialQueue("disk.monitor", QualityOfService::background);
    std::vector<std::pair<int, int>> seen;  // touched only on the queue
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> done{0};

    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&, p] {
            for (int i = 0; i < perProducer; ++i) {
                queue->async([&, p, i] {
                    if (inside.fetch_add(1) != 0) overlapped = true;
                    seen.emplace_back(p, i);
                    inside.fetch_sub(1);
                    done.fetch_add(1);
                });
            }
        });
    }
    for (auto& thread : threads) thread.join();
    Signal drained;
    queue->async([&] { drained.raise(); });
    ASSERT_TRUE(drained.wait());

    EXPECT_FALSE(overlapped);
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(producers * perProducer));
    std::vector<int> last(producers, -1);
    for (auto [p, i] : seen) {
        EXPECT_EQ(i, last[p] + 1) << "producer " << p;
        last[p] = i;
    }
}

TEST_F(RealSchedulerTest, MainWorkRunsOnlyOnTheMainThreadInsideTheLoop) {
    std::atomic<bool> ran{false};
    std::thread::id ranOn;
    bool mainInside = false;
    bool globalIsMain = true;
    scheduler->asyncGlobal(QualityOfService::defaultQoS, [&] {
        globalIsMain = scheduler->isMainThread();
        scheduler->asyncMain([&] {
            ranOn = std::this_thread::get_id();
            mainInside = scheduler->isMainThread();
            ran = true;
        });
    });

    ASSERT_TRUE(runUntil([&] { return ran.load(); }));
    EXPECT_EQ(ranOn, testThread);
    EXPECT_TRUE(mainInside);
    EXPECT_FALSE(globalIsMain);
    EXPECT_TRUE(scheduler->isMainThread());
}

TEST_F(RealSchedulerTest, RunUntilGivesUpAfterItsTimeoutWhenTheConditionNeverHolds) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(scheduler->runUntil([] { return false; }, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);  // never gives up early
}

TEST_F(RealSchedulerTest, MainWorkRunsByDueTimeAndMayQueueMoreWhileRunning) {
    std::vector<std::string> order;
    scheduler->asyncMainAfter(0.03, [&] { order.push_back("delayed"); });
    scheduler->asyncMain([&] {
        order.push_back("first");
        scheduler->asyncMain([&] { order.push_back("queued-by-first"); });
    });

    ASSERT_TRUE(runUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "queued-by-first", "delayed"}));
}

TEST_F(RealSchedulerTest, TimerTicksOnMainUntilInvalidatedFromAnotherThread) {
    int ticks = 0;
    bool allOnMain = true;
    auto timer = scheduler->scheduleRepeatingTimer(0.01, [&] {
        ++ticks;
        allOnMain = allOnMain && scheduler->isMainThread();
    });
    ASSERT_TRUE(runUntil([&] { return ticks >= 3; }));

    Signal invalidated;
    scheduler->asyncGlobal(QualityOfService::utility, [&] {
        timer->invalidate();
        invalidated.raise();
    });
    ASSERT_TRUE(invalidated.wait());
    const int ticksAtInvalidation = ticks;
    scheduler->runUntil([] { return false; }, 50ms);

    EXPECT_EQ(ticks, ticksAtInvalidation);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(scheduler->processDueWork(), std::chrono::hours(1));  // nothing left scheduled
}

TEST_F(RealSchedulerTest, ATimerInvalidatedInItsOwnTickReleasesItsCapturesAfterwards) {
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> watch = captured;
    std::shared_ptr<Timer> timer;
    timer = scheduler->scheduleRepeatingTimer(0.005, [&, captured] {
        ++*captured;
        timer->invalidate();
    });
    captured.reset();

    ASSERT_TRUE(runUntil([&] { return watch.expired(); }));
    scheduler->runUntil([] { return false; }, 30ms);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RealSchedulerTest, GlobalQueuesRunWorkConcurrently) {
    // Each block waits for the other: only a pool that runs both at once lets
    // them both through.
    Signal first, second;
    std::atomic<int> metPartner{0};
    scheduler->asyncGlobal(QualityOfService::defaultQoS, [&] {
        first.raise();
        if (second.wait()) metPartner.fetch_add(1);
    });
    scheduler->asyncGlobal(QualityOfService::utility, [&] {
        second.raise();
        if (first.wait()) metPartner.fetch_add(1);
    });
    ASSERT_TRUE(runUntil([&] { return metPartner.load() == 2; }));
}

TEST_F(RealSchedulerTest, GlobalWorkNeverWaitsBehindBlockedBlocks) {
    // Eight blocks stuck as on a hung tool, twice the threads kept ready.
    Signal release;
    std::atomic<int> stuck{0};
    for (int i = 0; i < 8; ++i) {
        scheduler->asyncGlobal(QualityOfService::utility, [&] {
            stuck.fetch_add(1);
            release.wait();
            stuck.fetch_sub(1);
        });
    }
    Signal ran;
    const auto postedAt = std::chrono::steady_clock::now();
    scheduler->asyncGlobal(QualityOfService::defaultQoS, [&] { ran.raise(); });
    const bool ninthRan = ran.wait(2s);
    const auto waited = std::chrono::steady_clock::now() - postedAt;
    release.raise();
    ASSERT_TRUE(ninthRan);
    EXPECT_LT(waited, 500ms);
    scheduler.reset();  // joins the pool: every stuck block has finished
    EXPECT_EQ(stuck.load(), 0);
}

TEST(WorkerThreadsTest, AnElasticPoolGrowsUpToItsCapAndShrinksWhenIdle) {
    auto queue = std::make_shared<WorkQueue>();
    WorkerThreads pool(queue, WorkerThreads::Elastic{1, 3, std::chrono::milliseconds(20)});
    Signal release;
    std::atomic<int> started{0};
    for (int i = 0; i < 4; ++i) {
        queue->post({}, [&] {
            started.fetch_add(1);
            release.wait();
        });
    }
    const auto waitFor = [](const std::function<bool()>& done) {
        const auto giveUp = std::chrono::steady_clock::now() + patience;
        while (!done() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(1ms);
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return started.load() == 3; }));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(started.load(), 3);  // the cap holds the fourth back
    EXPECT_EQ(queue->workerCount(), 3u);

    release.raise();
    EXPECT_TRUE(waitFor([&] { return started.load() == 4; }));
    EXPECT_TRUE(waitFor([&] { return queue->workerCount() == 1; }));  // idle threads left
    Signal after;
    queue->post({}, [&] { after.raise(); });
    EXPECT_TRUE(after.wait());
}

TEST_F(RealSchedulerTest, DelayedGlobalWorkWaitsForItsDelayWithoutHoldingUpOtherWork) {
    auto single = RealScheduler::create(1);
    // A far-off block must not keep the only pool thread from work due now.
    single->asyncGlobalAfter(QualityOfService::defaultQoS, 60, [] {});
    Signal immediate;
    single->asyncGlobal(QualityOfService::defaultQoS, [&] { immediate.raise(); });
    EXPECT_TRUE(immediate.wait());

    Signal delayed;
    std::chrono::steady_clock::time_point ranAt;
    const auto postedAt = std::chrono::steady_clock::now();
    single->asyncGlobalAfter(QualityOfService::defaultQoS, 0.03, [&] {
        ranAt = std::chrono::steady_clock::now();
        delayed.raise();
    });
    ASSERT_TRUE(delayed.wait());
    EXPECT_GE(ranAt - postedAt, 30ms);  // never early
}

TEST_F(RealSchedulerTest, ShutdownLetsTheRunningBlockFinishAndDropsPendingWork) {
    auto queue = scheduler->makeSerialQueue("usb.auto.stabilizer", QualityOfService::userInitiated);
    auto pending = std::make_shared<int>(0);
    std::weak_ptr<int> watchPending = pending;
    Signal started;
    std::atomic<bool> finished{false};
    queue->async([&] {
        started.raise();
        // Still running when the shutdown drops the work queued behind us.
        const auto giveUp = std::chrono::steady_clock::now() + patience;
        while (!watchPending.expired() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(1ms);
        }
        finished = true;
    });
    std::atomic<bool> pendingRan{false};
    queue->async([&, pending] { pendingRan = true; });
    scheduler->asyncMainAfter(60, [pending] {});
    scheduler->asyncGlobalAfter(QualityOfService::background, 60, [pending] {});
    pending.reset();
    ASSERT_TRUE(started.wait());

    scheduler->shutdown();

    EXPECT_TRUE(finished);
    EXPECT_FALSE(pendingRan);
    EXPECT_TRUE(watchPending.expired());
    // Work offered afterwards is dropped, not run and not kept.
    auto late = std::make_shared<int>(0);
    std::weak_ptr<int> watchLate = late;
    queue->async([late] {});
    scheduler->asyncMain([late] {});
    scheduler->makeSerialQueue("late", QualityOfService::background)->async([late] {});
    late.reset();
    EXPECT_TRUE(watchLate.expired());
    EXPECT_FALSE(scheduler->scheduleRepeatingTimer(0.01, [] {})->isValid());
}

struct CycleOwner {
    std::shared_ptr<Timer> timer;
};

TEST_F(RealSchedulerTest, DestroyingTheSchedulerBreaksTimerCyclesAndReleasesQueuedBlocks) {
    auto owner = std::make_shared<CycleOwner>();
    owner->timer = scheduler->scheduleRepeatingTimer(30, [owner] { (void)owner; });
    std::weak_ptr<CycleOwner> watchOwner = owner;
    owner.reset();
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watchHeld = held;
    scheduler->asyncMain([held] {});
    scheduler->asyncGlobalAfter(QualityOfService::defaultQoS, 30, [held] {});
    held.reset();

    scheduler.reset();

    EXPECT_TRUE(watchOwner.expired());
    EXPECT_TRUE(watchHeld.expired());
}

// An object that owns a serial queue, like every manager does.
struct QueueOwner {
    std::shared_ptr<SerialQueue> queue;
    Signal* destroyed;
    ~QueueOwner() { destroyed->raise(); }
};

TEST_F(RealSchedulerTest, AQueueWhoseLastHandleDiesOnItsOwnThreadEndsWithoutDeadlock) {
    Signal destroyed;
    auto owner = std::make_shared<QueueOwner>();
    owner->queue = scheduler->makeSerialQueue("app.launcher", QualityOfService::background);
    owner->destroyed = &destroyed;
    auto queue = owner->queue.get();
    std::atomic<int> ran{0};
    queue->async([&, owner] { ran.fetch_add(1); });  // the only strong reference, besides ours
    queue->async([&] { ran.fetch_add(1); });
    owner.reset();

    ASSERT_TRUE(destroyed.wait());
    // What was queued before the last handle went still runs.
    ASSERT_TRUE(runUntil([&] { return ran.load() == 2; }));
    // The finished queue's thread is collected and a new queue works.
    Signal fresh;
    scheduler->makeSerialQueue("performance.optimizer", QualityOfService::background)->async([&] { fresh.raise(); });
    EXPECT_TRUE(fresh.wait());
}

TEST_F(RealSchedulerTest, TheLastSchedulerReferenceDroppedInsideItsOwnWorkerDoesNotHang) {
    Signal gone;
    struct Marker {
        explicit Marker(Signal* signal) : gone(signal) {}
        ~Marker() { gone->raise(); }
        Signal* gone;
    };
    auto queue = scheduler->makeSerialQueue("disk.monitor", QualityOfService::background);
    auto marker = std::make_shared<Marker>(&gone);
    scheduler->asyncMainAfter(60, [marker] {});
    marker.reset();
    Signal release;
    queue->async([&release, keep = std::move(scheduler)]() mutable {
        release.wait();
        keep.reset();  // shuts the scheduler down from the queue's own thread
    });
    EXPECT_FALSE(gone.wait(0ms));
    release.raise();
    EXPECT_TRUE(gone.wait());  // the pending main block was dropped by that shutdown
}

TEST_F(RealSchedulerTest, AMainBlockMayDestroyTheSchedulerThatIsRunningIt) {
    std::atomic<bool> destroyed{false};
    bool laterRan = false;
    RealScheduler* raw = scheduler.get();
    scheduler->asyncMain([&] {
        scheduler.reset();
        destroyed = true;
    });
    scheduler->asyncMain([&] { laterRan = true; });

    EXPECT_TRUE(raw->runUntil([&] { return destroyed.load(); }, patience));
    EXPECT_FALSE(laterRan);  // dropped by the shutdown
}

TEST_F(RealSchedulerTest, RunReturnsWhenStoppedFromAnotherThread) {
    std::atomic<int> ticks{0};
    auto timer = scheduler->scheduleRepeatingTimer(0.005, [&] {
        if (ticks.fetch_add(1) == 2) {
            scheduler->asyncGlobal(QualityOfService::defaultQoS, [&] { scheduler->stop(); });
        }
    });
    scheduler->run();  // returns only because of stop()
    EXPECT_GE(ticks.load(), 3);
    timer->invalidate();
}

TEST_F(RealSchedulerTest, WakeUpHandlerAnnouncesMainWorkForAnOutsideLoop) {
    std::atomic<int> wakeUps{0};
    scheduler->setWakeUpHandler([&] { wakeUps.fetch_add(1); });
    Signal posted;
    std::atomic<bool> ran{false};
    scheduler->asyncGlobal(QualityOfService::defaultQoS, [&] {
        scheduler->asyncMain([&] { ran = true; });
        posted.raise();
    });
    ASSERT_TRUE(posted.wait());
    EXPECT_GE(wakeUps.load(), 1);

    // An outside loop drives the work with processDueWork and waits as told.
    scheduler->asyncMainAfter(30, [] {});
    const auto wait = scheduler->processDueWork();
    EXPECT_TRUE(ran);
    EXPECT_GT(wait, 0ms);
    EXPECT_LE(wait, 30s);
}

TEST_F(RealSchedulerTest, AMainBlockThatQueuesItselfCannotStarveAnOutsideLoop) {
    // Gives up after a bound, so a loop without a round limit fails instead of hanging.
    int runs = 0;
    std::function<void()> again = [&] {
        if (++runs < 1000) scheduler->asyncMain(again);
    };
    scheduler->asyncMain(again);
    for (int turn = 1; turn <= 3; ++turn) {
        // The outside loop gets its turn after each round, and is told to come right back.
        EXPECT_EQ(scheduler->processDueWork(), 0ms);
        EXPECT_EQ(runs, turn);
    }
}

TEST_F(RealSchedulerTest, AThrowingBlockDoesNotTakeDownItsThread) {
    auto queue = scheduler->makeSerialQueue("app.launcher", QualityOfService::background);
    Signal after;
    queue->async([] { throw std::runtime_error("boom"); });
    queue->async([&] { after.raise(); });
    scheduler->asyncMain([] { throw std::logic_error("boom"); });
    EXPECT_TRUE(after.wait());
    EXPECT_NO_THROW(scheduler->processDueWork());
}

}  // namespace
}  // namespace velmora
