#pragma once
// Real-time dispatch: a main loop run by whoever owns the main thread (a plain
// loop for tools and tests, later Qt's event loop), one thread per serial
// queue, and a pool for the global queues that grows while all its threads
// are busy (up to 64) and shrinks back to `globalThreads` when idle.
#include <chrono>
#include <functional>
#include <memory>

#include "foundation/dispatch/Scheduler.h"

namespace velmora {

class RealScheduler final : public Scheduler, public std::enable_shared_from_this<RealScheduler> {
public:
    // The thread that constructs the scheduler is the main thread.
    static std::shared_ptr<RealScheduler> create(unsigned globalThreads = 4);
    ~RealScheduler() override;

    void asyncMain(Block block) override;
    void asyncMainAfter(double seconds, Block block) override;
    std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, Block tick) override;
    bool isMainThread() const override;

    std::shared_ptr<SerialQueue> makeSerialQueue(std::string label, QualityOfService qos) override;
    void asyncGlobal(QualityOfService qos, Block block) override;
    void asyncGlobalAfter(QualityOfService qos, double seconds, Block block) override;

    void sleep(double seconds) override;
    Date now() const override;

    // Main-loop driving (main thread only).
    // Runs main-thread work until stop() is called.
    void run();
    // Runs main-thread work until `done` returns true or the timeout passes;
    // returns whether `done` became true.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Runs what is due now without waiting; returns the time until the next
    // timer or delayed block (for an external event loop to wait on), an hour
    // when nothing is scheduled.
    std::chrono::milliseconds processDueWork();
    void stop();  // any thread
    // Called (from any thread) whenever main-thread work is added, so an
    // external event loop can wake up and call processDueWork().
    void setWakeUpHandler(std::function<void()> handler);
    // Stops the queue and pool threads after their current block; pending work
    // is dropped and every timer invalidated, so blocks that hold their owners
    // strongly are released. Work offered afterwards is dropped. Called by the
    // destructor; safe from any thread, including a queue's own.
    void shutdown();

    // Stall meter: the longest any one block has run on the main loop since
    // the last reset. A block that waits for a tool freezes the menu and the
    // window for as long, so this stays small. Any thread.
    std::chrono::nanoseconds longestMainBlock() const;
    void resetStallMeter();
    // An outside loop's own work on the main thread (a window's events),
    // measured on the same meter. Any thread.
    void noteMainBlock(std::chrono::nanoseconds took);

    struct State;
private:
    RealScheduler();
    std::shared_ptr<State> state_;
};

}  // namespace velmora
