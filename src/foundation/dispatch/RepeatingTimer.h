#pragma once
// A repeating timer on a main loop (real or virtual). The loop's pending tick
// holds the timer strongly, so a scheduled timer lives until it is
// invalidated; invalidating drops the tick block at once, so whatever the
// block captured is released even while somebody still holds the timer.
//
// Host requirements: TimePoint, Duration, Key; now(); postTimerTick(at, block)
// returning std::optional<Key> (empty once the loop is closed);
// cancel(key); wakeUp().
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "foundation/dispatch/Scheduler.h"

namespace velmora {

template <class Host>
class RepeatingTimer final : public Timer, public std::enable_shared_from_this<RepeatingTimer<Host>> {
    struct Token {};

public:
    using TimePoint = typename Host::TimePoint;
    using Duration = typename Host::Duration;
    using Key = typename Host::Key;

    // Intervals below this are raised to it, so a zero or negative interval
    // cannot spin the loop.
    static constexpr double minimumInterval = 0.0001;

    // With a `phase`, the ticks fall on phase + k·interval: timers of the
    // same period then tick in the same instant, whenever they were started,
    // as the system coalesces its own timers. The first tick is the first
    // such instant at least half an interval away (so a start's own run and
    // the first tick never come back to back), and each tick after it one
    // interval later. Without one, the first tick is one interval from now.
    static std::shared_ptr<RepeatingTimer> start(const std::shared_ptr<Host>& host, double intervalSeconds, Block tick,
                                                 std::optional<TimePoint> phase = std::nullopt) {
        auto timer = std::make_shared<RepeatingTimer>(Token{}, host, intervalSeconds, std::move(tick));
        const TimePoint now = host->now();
        TimePoint first = now + timer->step_;
        if (phase && *phase <= now) {
            const Duration earliest = now - *phase + timer->step_ / 2;
            first = *phase + timer->step_ * ((earliest + timer->step_ - Duration(1)) / timer->step_);
        }
        timer->scheduleAt(first);
        host->wakeUp();
        return timer;
    }

    RepeatingTimer(Token, const std::shared_ptr<Host>& host, double intervalSeconds, Block tick)
        : host_(host),
          interval_(intervalSeconds < minimumInterval ? minimumInterval : intervalSeconds),
          step_(toStep(interval_)),
          tick_(std::make_shared<Block>(std::move(tick))) {}

    void invalidate() override {
        auto keepAlive = this->shared_from_this();
        std::shared_ptr<Block> dropped;
        std::optional<Key> pending;
        {
            std::lock_guard lock(mutex_);
            valid_ = false;
            dropped = std::move(tick_);
            pending = std::exchange(pending_, std::nullopt);
        }
        if (pending) {
            if (auto host = host_.lock()) host->cancel(*pending);
        }
        // `dropped` dies here, outside every lock: its captures' destructors
        // may call back into this timer or the loop.
    }

    bool isValid() const override {
        std::lock_guard lock(mutex_);
        return valid_;
    }

    double interval() const override { return interval_; }

private:
    static Duration toStep(double seconds) {
        auto step = std::chrono::duration_cast<Duration>(std::chrono::duration<double>(seconds));
        return step > Duration::zero() ? step : Duration(1);
    }

    void fire(TimePoint nominal) {
        std::shared_ptr<Block> tick;
        {
            std::lock_guard lock(mutex_);
            pending_.reset();
            if (!valid_) return;
            tick = tick_;  // our own reference: the block may invalidate us while it runs
        }
        if (tick && *tick) (*tick)();
        auto host = host_.lock();
        if (!host) return;
        // Ticks missed while the loop was busy are skipped rather than bunched up.
        TimePoint next = nominal + step_;
        const TimePoint now = host->now();
        if (next <= now) next += step_ * ((now - next) / step_ + 1);
        scheduleAt(next);
    }

    void scheduleAt(TimePoint at) {
        std::shared_ptr<Block> dropped;  // released after the lock, like in invalidate()
        auto host = host_.lock();
        // Posting under our lock keeps `pending_` in step with the tick even
        // when the loop runs it before we return; the loop never calls into a
        // timer while holding its own lock, so the lock order is fixed.
        std::lock_guard lock(mutex_);
        if (!valid_) return;
        if (host) {
            auto self = this->shared_from_this();
            pending_ = host->postTimerTick(at, [self, at] { self->fire(at); });
        }
        if (!pending_) {
            // The loop is gone or closed: the timer can never tick again.
            valid_ = false;
            dropped = std::move(tick_);
        }
    }

    std::weak_ptr<Host> host_;
    const double interval_;
    const Duration step_;
    mutable std::mutex mutex_;
    bool valid_ = true;
    std::shared_ptr<Block> tick_;
    std::optional<Key> pending_;
};

}  // namespace velmora
