#pragma once
// Every timer a scheduler has started, held weakly, so that shutting the
// scheduler down can invalidate them all. That breaks the cycle of a timer
// whose block holds its owner strongly while the owner holds the timer.
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/dispatch/Scheduler.h"

namespace velmora {

class TimerRegistry {
public:
    void add(const std::shared_ptr<Timer>& timer);
    void invalidateAll();

private:
    std::mutex mutex_;
    std::vector<std::weak_ptr<Timer>> timers_;
};

}  // namespace velmora
