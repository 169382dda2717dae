#include "ui/qt/QtMainLoop.h"

#include <atomic>
#include <mutex>

#include "foundation/dispatch/RealScheduler.h"

namespace velmora {

// Shared with the scheduler's wake-up handler, which other threads may still
// be calling after this loop is gone: the target is cleared under the lock.
struct QtMainLoop::Poster {
    std::mutex mutex;
    QtMainLoop* target = nullptr;
    std::atomic<bool> pending{false};

    void wake() {
        // One posted round at a time: a burst of work from the queues costs
        // one Qt event, not one each.
        if (pending.exchange(true)) return;
        std::lock_guard lock(mutex);
        if (target) QMetaObject::invokeMethod(target, &QtMainLoop::round, Qt::QueuedConnection);
    }
};

QtMainLoop::QtMainLoop(std::shared_ptr<RealScheduler> scheduler, QObject* parent)
    : QObject(parent), scheduler_(std::move(scheduler)), poster_(std::make_shared<Poster>()) {
    poster_->target = this;
    nextDue_.setSingleShot(true);
    nextDue_.setTimerType(Qt::PreciseTimer);
    connect(&nextDue_, &QTimer::timeout, this, &QtMainLoop::round);
    scheduler_->setWakeUpHandler([poster = poster_] { poster->wake(); });
    // Whatever was queued before the loop existed.
    poster_->wake();
}

QtMainLoop::~QtMainLoop() {
    scheduler_->setWakeUpHandler(nullptr);
    std::lock_guard lock(poster_->mutex);
    poster_->target = nullptr;
}

void QtMainLoop::round() {
    // Cleared first: work queued by this round's blocks posts the next round.
    poster_->pending.store(false);
    const auto wait = scheduler_->processDueWork();
    nextDue_.start(static_cast<int>(wait.count()));
}

}  // namespace velmora
