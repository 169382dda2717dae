#pragma once
// Deterministic virtual time for tests. Single-threaded: every block runs on
// the thread that calls advance()/runUntilIdle(), in virtual-time order, ties
// in the order they were scheduled. sleep() moves the clock forward. A test of
// a 120-second timer runs in microseconds. An exception thrown by a block
// reaches the caller of advance()/runUntilIdle(), so a test sees it.
#include <memory>
#include <string>

#include "foundation/dispatch/Scheduler.h"
#include "foundation/dispatch/TimerRegistry.h"
#include "foundation/dispatch/VirtualEventLoop.h"

namespace velmora {

class VirtualScheduler final : public Scheduler, public std::enable_shared_from_this<VirtualScheduler> {
public:
    // The clock starts at `start` (a fixed date by default, so runs repeat exactly).
    explicit VirtualScheduler(Date start = dateFromSeconds(1767225600.0) /* 2026-01-01T00:00:00Z */);
    ~VirtualScheduler() override;

    void asyncMain(Block block) override;
    void asyncMainAfter(double seconds, Block block) override;
    std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, Block tick) override;
    bool isMainThread() const override;

    std::shared_ptr<SerialQueue> makeSerialQueue(std::string label, QualityOfService qos) override;
    void asyncGlobal(QualityOfService qos, Block block) override;
    void asyncGlobalAfter(QualityOfService qos, double seconds, Block block) override;

    void sleep(double seconds) override;
    Date now() const override;

    // Runs everything due up to now + seconds (including work that becomes due
    // meanwhile), then leaves the clock at now + seconds.
    void advance(double seconds);
    // Runs everything due now (no clock movement).
    void runUntilIdle();
    // Called from a running block: it stays busy for `seconds` of virtual time
    // while timers and other contexts run on, as a tool that hangs on one
    // queue would; blocks of its own context wait until it returns.
    void stall(double seconds);
    // Number of blocks and timer ticks waiting (scheduled timers count once).
    std::size_t pendingCount() const;
    // Blocks waiting in one context (a serial queue's label, "main", "global").
    std::size_t pendingCount(const std::string& context) const;
    // Label of the context the running block belongs to: "main", a serial
    // queue's label, or "global"; empty outside any block.
    std::string currentContext() const;

private:
    std::shared_ptr<VirtualEventLoop> loop_;
    TimerRegistry timers_;
};

}  // namespace velmora
