#pragma once
// Keeps periodic work from queueing behind itself. A repeating timer that hands
// its work to a queue asks the gate for a pass first; while an earlier pass is
// alive (its work still queued, running, or continuing on another queue) the
// tick gets none and is skipped. A hung tool therefore costs one deadline per
// job, never a growing backlog of stale ticks.
//
// The pass is released when its last copy is destroyed, so work that hops
// queues (a global queue, then the main thread) simply carries the pass along,
// and work dropped unrun by a closing queue releases it too.
#include <atomic>
#include <memory>
#include <utility>

#include "foundation/dispatch/Scheduler.h"

namespace velmora {

class TickGate {
public:
    class Pass {
    public:
        explicit Pass(std::shared_ptr<std::atomic<bool>> busy) : busy_(std::move(busy)) {}
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        ~Pass() { busy_->store(false, std::memory_order_release); }

    private:
        std::shared_ptr<std::atomic<bool>> busy_;
    };
    using PassHandle = std::shared_ptr<const Pass>;

    TickGate() = default;
    TickGate(const TickGate&) = delete;
    TickGate& operator=(const TickGate&) = delete;

    // Empty while an earlier pass is still alive.
    PassHandle tryEnter() {
        if (busy_->exchange(true, std::memory_order_acq_rel)) return nullptr;
        return std::make_shared<const Pass>(busy_);
    }

    bool busy() const { return busy_->load(std::memory_order_acquire); }

    // Queues `work` on `queue` unless earlier work still holds a pass.
    // Returns false when the tick is skipped.
    bool submit(SerialQueue& queue, Block work) {
        auto pass = tryEnter();
        if (!pass) return false;
        queue.async([pass = std::move(pass), work = std::move(work)] { work(); });
        return true;
    }

    bool submitGlobal(Scheduler& scheduler, QualityOfService qos, Block work) {
        auto pass = tryEnter();
        if (!pass) return false;
        scheduler.asyncGlobal(qos, [pass = std::move(pass), work = std::move(work)] { work(); });
        return true;
    }

private:
    // Shared with the passes, so a pass outliving its gate stays safe.
    std::shared_ptr<std::atomic<bool>> busy_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace velmora
