#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "foundation/dispatch/RealScheduler.h"
#include "ui/qt/QtMainLoop.h"

namespace velmora::testing {
namespace {

// Spins Qt's loop (never the scheduler's own) until `done` or two seconds.
template <typename F>
bool spinUntil(F done) {
    QDeadlineTimer deadline(2000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

TEST(QtMainLoop, MainWorkFromAnyThreadRunsOnTheQtLoopOnTheMainThread) {
    auto scheduler = RealScheduler::create(1);
    QtMainLoop loop(scheduler);
    const auto mainThread = QThread::currentThread();
    struct Case { const char* name; std::function<void(Block)> post; };
    std::atomic<bool> queuedBeforeRan{false};
    scheduler->asyncMain([&] { queuedBeforeRan = true; });  // queued before any Qt event is processed
    const Case cases[] = {
        {"main thread", [&](Block b) { scheduler->asyncMain(std::move(b)); }},
        {"other thread", [&](Block b) { std::thread([&, b] { scheduler->asyncMain(b); }).join(); }},
        {"global queue", [&](Block b) { scheduler->asyncGlobal(QualityOfService::utility, [&, b] { scheduler->asyncMain(b); }); }},
        {"delayed", [&](Block b) { scheduler->asyncMainAfter(0.02, std::move(b)); }},
    };
    for (const auto& c : cases) {
        std::atomic<bool> ran{false};
        std::atomic<bool> onMain{false};
        c.post([&] { onMain = QThread::currentThread() == mainThread; ran = true; });
        EXPECT_TRUE(spinUntil([&] { return ran.load(); })) << c.name;
        EXPECT_TRUE(onMain) << c.name;
    }
    EXPECT_TRUE(queuedBeforeRan);

    std::atomic<int> ticks{0};
    auto timer = scheduler->scheduleRepeatingTimer(0.01, [&] { ++ticks; });
    EXPECT_TRUE(spinUntil([&] { return ticks >= 3; }));
    timer->invalidate();
}

TEST(QtMainLoop, WorkThatRequeuesItselfLeavesRoomForQtEvents) {
    auto scheduler = RealScheduler::create(1);
    QtMainLoop loop(scheduler);
    bool busy = true;
    int rounds = 0;
    std::function<void()> again = [&] {
        ++rounds;
        if (busy) scheduler->asyncMain(again);
    };
    scheduler->asyncMain(again);
    bool qtTimerFired = false;
    QTimer::singleShot(0, [&] { qtTimerFired = true; });
    EXPECT_TRUE(spinUntil([&] { return qtTimerFired; }));
    busy = false;
    EXPECT_GT(rounds, 0);
}

}  // namespace
}  // namespace velmora::testing
