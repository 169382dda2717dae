#pragma once
// The clock and the single time-ordered list of everything a virtual
// scheduler will run. Each event remembers the context it belongs to (main,
// a serial queue's label, global) so tests can see where work ran. Timers and
// serial queues hold it weakly, so they outlive their scheduler harmlessly.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Date.h"
#include "foundation/dispatch/Scheduler.h"
#include "foundation/dispatch/TimedQueue.h"

namespace velmora {

class VirtualEventLoop {
public:
    struct Event {
        std::string context;
        Block block;
    };
    using TimePoint = Date;
    using Duration = Clock::duration;
    using Key = TimedQueue<Date, Event>::Key;

    static constexpr const char* mainContext = "main";
    static constexpr const char* globalContext = "global";

    explicit VirtualEventLoop(Date start);

    // Empty once the loop is closed; the block is then dropped.
    std::optional<Key> schedule(Date at, std::string context, Block block);
    std::optional<Key> scheduleAfter(double seconds, std::string context, Block block);
    void cancel(const Key& key);

    Date now() const { return now_; }
    void sleep(double seconds);
    // The running block stays busy for `seconds` while everything else runs
    // on; see VirtualScheduler::stall.
    void stall(double seconds);
    void advance(double seconds);
    void runUntilIdle();

    std::size_t pendingCount() const { return events_.size(); }
    std::size_t pendingCount(const std::string& context) const;
    std::string currentContext() const;
    bool isMainContext() const;

    // Drops every pending event and refuses new ones.
    void close();

    // Timer host interface.
    std::optional<Key> postTimerTick(Date at, Block block) { return schedule(at, mainContext, std::move(block)); }
    void wakeUp() {}

private:
    void runDueBy(Date limit, bool limitFollowsClock);
    // A serial context (main or a queue) with a block on the stack runs
    // nothing else until that block returns.
    bool isBusy(const std::string& context) const;

    Date now_;
    bool closed_ = false;
    TimedQueue<Date, Event> events_;
    std::vector<std::string> running_;
};

}  // namespace velmora
