#include "foundation/dispatch/VirtualScheduler.h"
#include "foundation/dispatch/RepeatingTimer.h"
#include "foundation/dispatch/VirtualEventLoop.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Ran {
    std::string what;
    double at;  // seconds since the scheduler was created
    std::string context;
    bool operator==(const Ran&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Ran& ran) {
    return out << "{" << ran.what << " @" << ran.at << " in '" << ran.context << "'}";
}

class VirtualSchedulerTest : public ::testing::Test {
protected:
    std::shared_ptr<VirtualScheduler> scheduler = std::make_shared<VirtualScheduler>();
    Date start = scheduler->now();
    std::vector<Ran> log;

    double elapsed() const { return secondsBetween(start, scheduler->now()); }
    Block record(std::string what) {
        return [this, what] { log.push_back({what, elapsed(), scheduler->currentContext()}); };
    }
};

TEST_F(VirtualSchedulerTest, WorkDueAtTheSameTimeRunsInTheOrderItWasQueuedAcrossContexts) {
    auto queue = scheduler->makeSerialQueue("disk.monitor", QualityOfService::background);
    scheduler->asyncMain(record("a"));
    queue->async(record("b"));
    scheduler->asyncGlobal(QualityOfService::defaultQoS, record("c"));
    scheduler->asyncMainAfter(0, record("d"));
    scheduler->asyncGlobalAfter(QualityOfService::utility, -3, record("e"));  // a negative delay means now

    scheduler->runUntilIdle();

    EXPECT_EQ(log, (std::vector<Ran>{{"a", 0, "main"},
                                     {"b", 0, "disk.monitor"},
                                     {"c", 0, "global"},
                                     {"d", 0, "main"},
                                     {"e", 0, "global"}}));
    EXPECT_EQ(scheduler->now(), start);
}

TEST_F(VirtualSchedulerTest, DelayedWorkRunsByDueTimeThenByQueueingOrder) {
    scheduler->asyncMainAfter(5, record("x"));
    scheduler->asyncGlobalAfter(QualityOfService::defaultQoS, 2, record("y"));
    scheduler->asyncMainAfter(5, record("z"));
    scheduler->asyncMainAfter(7.5, record("late"));

    scheduler->advance(6);
    EXPECT_EQ(log, (std::vector<Ran>{{"y", 2, "global"}, {"x", 5, "main"}, {"z", 5, "main"}}));
    EXPECT_DOUBLE_EQ(elapsed(), 6);
    EXPECT_EQ(scheduler->pendingCount(), 1u);

    scheduler->advance(1.5);
    EXPECT_EQ(log.back(), (Ran{"late", 7.5, "main"}));
}

TEST_F(VirtualSchedulerTest, RunUntilIdleRunsChainedWorkDueNowButNothingLater) {
    auto queue = scheduler->makeSerialQueue("usb.auto.stabilizer", QualityOfService::userInitiated);
    queue->async([&] {
        record("scan")();
        scheduler->asyncMain([&] {
            record("publish")();
            scheduler->asyncMainAfter(1, record("later"));
        });
    });

    scheduler->runUntilIdle();

    EXPECT_EQ(log, (std::vector<Ran>{{"scan", 0, "usb.auto.stabilizer"}, {"publish", 0, "main"}}));
    EXPECT_EQ(scheduler->now(), start);
    EXPECT_EQ(scheduler->pendingCount(), 1u);
}

TEST_F(VirtualSchedulerTest, WorkQueuedDuringAdvanceRunsInTheSameAdvanceWhenDue) {
    scheduler->asyncMainAfter(1, [&] {
        record("first")();
        scheduler->asyncMainAfter(2, record("chained"));
        scheduler->asyncMainAfter(10, record("beyond"));
    });

    scheduler->advance(5);

    EXPECT_EQ(log, (std::vector<Ran>{{"first", 1, "main"}, {"chained", 3, "main"}}));
    EXPECT_DOUBLE_EQ(elapsed(), 5);
    scheduler->advance(6);
    EXPECT_EQ(log.back(), (Ran{"beyond", 11, "main"}));
}

TEST_F(VirtualSchedulerTest, SerialQueueKeepsFifoWhenABlockQueuesOntoItsOwnQueue) {
    auto queue = scheduler->makeSerialQueue("app.launcher", QualityOfService::background);
    queue->async([&] {
        record("A")();
        queue->async(record("C"));
    });
    queue->async(record("B"));

    scheduler->runUntilIdle();

    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].what + log[1].what + log[2].what, "ABC");
    EXPECT_EQ(queue->label(), "app.launcher");
    EXPECT_EQ(queue->qualityOfService(), QualityOfService::background);
}

TEST_F(VirtualSchedulerTest, SleepMovesTheClockAndWorkDueMeanwhileRunsLateAfterTheBlock) {
    scheduler->asyncMainAfter(2, record("due-while-sleeping"));
    scheduler->asyncMain([&] {
        record("sleeper-start")();
        scheduler->sleep(5);
        record("sleeper-end")();
    });
    scheduler->asyncMainAfter(6, record("after"));

    scheduler->advance(10);

    EXPECT_EQ(log, (std::vector<Ran>{{"sleeper-start", 0, "main"},
                                     {"sleeper-end", 5, "main"},
                                     {"due-while-sleeping", 5, "main"},
                                     {"after", 6, "main"}}));
    EXPECT_DOUBLE_EQ(elapsed(), 10);
}

// A stalled block models a tool hanging on one queue: the main loop and other
// queues run on, and work behind it on its own queue waits.
TEST_F(VirtualSchedulerTest, StalledBlockHoldsOnlyItsOwnQueue) {
    auto queue = scheduler->makeSerialQueue("q", QualityOfService::background);
    auto other = scheduler->makeSerialQueue("other", QualityOfService::background);
    queue->async([&] {
        record("stall-start")();
        scheduler->stall(5);
        record("stall-end")();
    });
    scheduler->asyncMainAfter(1, [&] {
        record("main")();
        queue->async(record("behind"));
        other->async(record("other"));
    });
    std::size_t waitingBehind = 0;
    scheduler->asyncMainAfter(2, [&] { waitingBehind = scheduler->pendingCount("q"); });

    scheduler->advance(10);

    EXPECT_EQ(log, (std::vector<Ran>{{"stall-start", 0, "q"},
                                     {"main", 1, "main"},
                                     {"other", 1, "other"},
                                     {"stall-end", 5, "q"},
                                     {"behind", 5, "q"}}));
    EXPECT_EQ(waitingBehind, 1u);
}

TEST_F(VirtualSchedulerTest, ABlockSleepingBeyondTheAdvanceTargetNeverTurnsTheClockBack) {
    scheduler->asyncMain([&] { scheduler->sleep(30); });
    scheduler->advance(10);
    EXPECT_DOUBLE_EQ(elapsed(), 30);
}

TEST_F(VirtualSchedulerTest, LongTimerTicksAtExactMultiplesOfItsInterval) {
    std::vector<Date> ticks;
    auto timer = scheduler->scheduleRepeatingTimer(120, [&] { ticks.push_back(scheduler->now()); });

    scheduler->advance(119.999);
    EXPECT_TRUE(ticks.empty());
    scheduler->advance(360 - 119.999);

    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[0], addSeconds(start, 120));
    EXPECT_EQ(ticks[1], addSeconds(start, 240));
    EXPECT_EQ(ticks[2], addSeconds(start, 360));
    EXPECT_DOUBLE_EQ(timer->interval(), 120);

    scheduler->advance(24 * 3600);  // a day of ticks stays cheap
    EXPECT_EQ(ticks.size(), 3u + 720u);
}

// Timers of one period on a shared phase tick in the same instant, whenever
// each was started: the first tick is the first phase instant at least half
// a period away; within an instant they run in the order their ticks were
// queued.
TEST(RepeatingTimerPhase, TimersOfOnePeriodTickTogether) {
    const Date phase = dateFromSeconds(1000);
    auto loop = std::make_shared<VirtualEventLoop>(phase);
    std::vector<std::pair<std::string, double>> ticks;
    std::vector<std::shared_ptr<Timer>> timers;
    const struct { const char* name; double startedAt; } starts[] = {
        {"a", 0.1}, {"b", 2.4}, {"c", 2.6}, {"d", 5.0}};
    for (const auto& s : starts) {
        loop->advance(s.startedAt - secondsBetween(phase, loop->now()));
        timers.push_back(RepeatingTimer<VirtualEventLoop>::start(
            loop, 5, [&, name = std::string(s.name)] { ticks.emplace_back(name, secondsBetween(phase, loop->now())); },
            phase));
    }
    loop->advance(20 - secondsBetween(phase, loop->now()));
    const std::vector<std::pair<std::string, double>> expected = {
        {"a", 5}, {"b", 5}, {"c", 10}, {"a", 10}, {"b", 10}, {"d", 10},
        {"c", 15}, {"a", 15}, {"b", 15}, {"d", 15}, {"c", 20}, {"a", 20}, {"b", 20}, {"d", 20}};
    EXPECT_EQ(ticks, expected);
    for (auto& timer : timers) timer->invalidate();
}

TEST_F(VirtualSchedulerTest, TimerTicksInterleaveWithDelayedBlocksAndRunOnMain) {
    auto timer = scheduler->scheduleRepeatingTimer(10, record("tick"));
    scheduler->asyncMainAfter(15, record("d15"));
    scheduler->asyncGlobalAfter(QualityOfService::defaultQoS, 20, record("d20"));

    scheduler->advance(30);

    // The d20 block was queued before the tick at 20 was (that happens at 10),
    // so at equal times it goes first.
    EXPECT_EQ(log, (std::vector<Ran>{{"tick", 10, "main"},
                                     {"d15", 15, "main"},
                                     {"d20", 20, "global"},
                                     {"tick", 20, "main"},
                                     {"tick", 30, "main"}}));
}

TEST_F(VirtualSchedulerTest, TicksMissedWhileTheLoopWasBusyAreSkippedNotBunched) {
    auto timer = scheduler->scheduleRepeatingTimer(10, record("tick"));
    scheduler->asyncMain([&] { scheduler->sleep(35); });

    scheduler->advance(50);

    EXPECT_EQ(log, (std::vector<Ran>{{"tick", 35, "main"}, {"tick", 40, "main"}, {"tick", 50, "main"}}));
}

TEST_F(VirtualSchedulerTest, TheSchedulerKeepsATimerNobodyElseHoldsUntilItIsInvalidated) {
    int ticks = 0;
    std::weak_ptr<Timer> weak = scheduler->scheduleRepeatingTimer(5, [&] { ++ticks; });
    EXPECT_EQ(scheduler->pendingCount(), 1u);

    scheduler->advance(15);
    EXPECT_EQ(ticks, 3);
    ASSERT_FALSE(weak.expired());
    EXPECT_EQ(scheduler->pendingCount(), 1u);  // a scheduled timer counts once

    weak.lock()->invalidate();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    scheduler->advance(15);
    EXPECT_EQ(ticks, 3);
}

TEST_F(VirtualSchedulerTest, ATimerInvalidatedFromItsOwnTickStopsAfterThatTick) {
    int ticks = 0;
    std::shared_ptr<Timer> timer;
    timer = scheduler->scheduleRepeatingTimer(3, [&] {
        ++ticks;
        timer->invalidate();
        EXPECT_FALSE(timer->isValid());
    });

    scheduler->advance(30);

    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(scheduler->pendingCount(), 0u);
}

TEST_F(VirtualSchedulerTest, InvalidatingTwiceOrAfterTheSchedulerIsGoneIsHarmless) {
    auto timer = scheduler->scheduleRepeatingTimer(1, [] {});
    timer->invalidate();
    timer->invalidate();
    auto other = scheduler->scheduleRepeatingTimer(1, [] {});
    scheduler.reset();
    EXPECT_FALSE(other->isValid());
    other->invalidate();
}

struct Target {
    int hits = 0;
};

TEST_F(VirtualSchedulerTest, ATickHoldingItsTargetWeaklyDoesNothingOnceTheTargetIsGone) {
    auto target = std::make_shared<Target>();
    int ranWithTarget = 0;
    auto timer = scheduler->scheduleRepeatingTimer(10, [weak = std::weak_ptr<Target>(target), &ranWithTarget] {
        if (auto strong = weak.lock()) {
            ++strong->hits;
            ++ranWithTarget;
        }
    });
    scheduler->advance(10);
    EXPECT_EQ(target->hits, 1);

    std::weak_ptr<Target> watch = target;
    target.reset();
    EXPECT_TRUE(watch.expired());  // the timer did not keep it alive
    scheduler->advance(30);
    EXPECT_EQ(ranWithTarget, 1);
    EXPECT_TRUE(timer->isValid());
}

TEST_F(VirtualSchedulerTest, ATickHoldingItsTargetStronglyKeepsItAliveUntilInvalidated) {
    auto target = std::make_shared<Target>();
    std::weak_ptr<Target> watch = target;
    auto timer = scheduler->scheduleRepeatingTimer(10, [target] { ++target->hits; });
    target.reset();

    scheduler->advance(20);
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(watch.lock()->hits, 2);

    timer->invalidate();  // we still hold the timer, but its captures must go
    EXPECT_TRUE(watch.expired());
}

// An owner that holds its timer while the timer's block holds the owner.
struct CycleOwner {
    std::shared_ptr<Timer> timer;
};

TEST_F(VirtualSchedulerTest, DestroyingTheSchedulerBreaksTimerCyclesAndDropsQueuedWork) {
    auto owner = std::make_shared<CycleOwner>();
    owner->timer = scheduler->scheduleRepeatingTimer(30, [owner] { (void)owner; });
    auto queued = std::make_shared<Target>();
    auto queue = scheduler->makeSerialQueue("performance.optimizer", QualityOfService::background);
    queue->async([queued] { ++queued->hits; });
    scheduler->asyncMainAfter(100, [queued] { ++queued->hits; });

    std::weak_ptr<CycleOwner> watchOwner = owner;
    std::weak_ptr<Target> watchQueued = queued;
    owner.reset();
    queued.reset();
    ASSERT_FALSE(watchOwner.expired());
    ASSERT_FALSE(watchQueued.expired());

    scheduler.reset();

    EXPECT_TRUE(watchOwner.expired());
    EXPECT_TRUE(watchQueued.expired());
    // A queue that outlives its scheduler drops what it is given.
    auto late = std::make_shared<Target>();
    std::weak_ptr<Target> watchLate = late;
    queue->async([late] { ++late->hits; });
    late.reset();
    EXPECT_TRUE(watchLate.expired());
}

TEST_F(VirtualSchedulerTest, BlocksReleasedAtDestructionMayQueueMoreWorkWithoutHarm) {
    struct QueuesOnDestruction {
        VirtualScheduler* scheduler;
        ~QueuesOnDestruction() {
            scheduler->asyncMain([] {});
            scheduler->scheduleRepeatingTimer(1, [] {});
        }
    };
    auto object = std::make_shared<QueuesOnDestruction>(QueuesOnDestruction{scheduler.get()});
    scheduler->asyncMainAfter(5, [object] {});
    object.reset();
    scheduler.reset();  // must neither hang nor crash
}

TEST_F(VirtualSchedulerTest, ABlockMayDestroyTheSchedulerThatIsRunningIt) {
    auto held = std::make_shared<Target>();
    std::weak_ptr<Target> watch = held;
    auto timer = scheduler->scheduleRepeatingTimer(1, [held] {});
    held.reset();
    VirtualScheduler* raw = scheduler.get();
    scheduler->asyncMain([&] { scheduler.reset(); });

    raw->advance(10);  // the run ends quietly once its scheduler is gone

    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(timer->isValid());
}

TEST_F(VirtualSchedulerTest, ContextTellsWhereWorkRunsAndTestCodeCountsAsMain) {
    struct Seen {
        std::string context;
        bool main;
    };
    std::vector<Seen> seen;
    auto look = [&] { seen.push_back({scheduler->currentContext(), scheduler->isMainThread()}); };
    auto queue = scheduler->makeSerialQueue("disk.monitor", QualityOfService::background);

    look();
    scheduler->asyncMain(look);
    queue->async(look);
    scheduler->asyncGlobal(QualityOfService::background, look);
    auto timer = scheduler->scheduleRepeatingTimer(1, look);
    scheduler->advance(1);

    ASSERT_EQ(seen.size(), 5u);
    const std::vector<std::string> contexts{"", "main", "disk.monitor", "global", "main"};
    const std::vector<bool> mains{true, true, false, false, true};
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].context, contexts[i]) << i;
        EXPECT_EQ(seen[i].main, mains[i]) << i;
    }
}

TEST_F(VirtualSchedulerTest, AZeroIntervalTimerCannotStallTheLoop) {
    int ticks = 0;
    auto timer = scheduler->scheduleRepeatingTimer(0, [&] { ++ticks; });
    scheduler->runUntilIdle();
    EXPECT_EQ(ticks, 0);
    scheduler->advance(0.01);
    EXPECT_GT(ticks, 0);
    EXPECT_GT(timer->interval(), 0);
}

TEST_F(VirtualSchedulerTest, AThrowingBlockLeavesTheSchedulerUsable) {
    scheduler->asyncMain([] { throw std::runtime_error("boom"); });
    scheduler->asyncMain(record("next"));
    EXPECT_THROW(scheduler->runUntilIdle(), std::runtime_error);
    EXPECT_EQ(scheduler->currentContext(), "");
    scheduler->runUntilIdle();
    EXPECT_EQ(log, (std::vector<Ran>{{"next", 0, "main"}}));
}

}  // namespace
}  // namespace velmora
