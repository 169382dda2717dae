#include "foundation/dispatch/TimerRegistry.h"

#include <algorithm>

namespace velmora {

void TimerRegistry::add(const std::shared_ptr<Timer>& timer) {
    std::lock_guard lock(mutex_);
    // Forget timers that are gone or finished, so a long-lived scheduler that
    // starts many timers does not grow without bound.
    std::erase_if(timers_, [](const std::weak_ptr<Timer>& weak) {
        auto held = weak.lock();
        return !held || !held->isValid();
    });
    timers_.push_back(timer);
}

void TimerRegistry::invalidateAll() {
    std::vector<std::weak_ptr<Timer>> timers;
    {
        std::lock_guard lock(mutex_);
        timers.swap(timers_);
    }
    // Outside the lock: the released tick blocks may start or stop timers.
    for (auto& weak : timers) {
        if (auto timer = weak.lock()) timer->invalidate();
    }
}

}  // namespace velmora
