#include "foundation/dispatch/WorkQueue.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace velmora {

std::optional<WorkQueue::Key> WorkQueue::push(std::unique_lock<std::mutex>& lock, TimePoint at, Block& block) {
    if (closed_ || retired_) return std::nullopt;
    auto key = items_.push(at, std::move(block));
    ++generation_;
    lock.unlock();
    changed_.notify_all();
    return key;
}

std::optional<WorkQueue::Key> WorkQueue::post(Duration delay, Block block) {
    std::unique_lock lock(mutex_);
    // The time is read under the lock so that blocks posted from different
    // threads without delay keep the order in which they got the lock.
    auto key = push(lock, SteadyClock::now() + (delay > Duration::zero() ? delay : Duration::zero()), block);
    if (key && elastic_) {
        lock.lock();
        if (claimNewWorker()) startClaimedWorker(lock);
    }
    if (lock.owns_lock()) lock.unlock();
    if (key) wakeUp();
    return key;
    // A refused block is destroyed here, after the lock is released.
}

bool WorkQueue::claimNewWorker() {
    if (!elastic_ || closed_ || items_.empty()) return false;
    if (elastic_->busy < elastic_->workers || elastic_->workers >= elastic_->most) return false;
    ++elastic_->workers;
    return true;
}

void WorkQueue::startClaimedWorker(std::unique_lock<std::mutex>& lock) {
    auto startWorker = elastic_->startWorker;
    lock.unlock();
    startWorker();
}

void WorkQueue::makeElastic(unsigned least, unsigned most, Duration idleExit, std::function<void()> startWorker) {
    std::lock_guard lock(mutex_);
    elastic_ = Elastic{least, std::max(least, most), idleExit, std::move(startWorker), least, 0};
}

void WorkQueue::workerNotStarted() {
    std::lock_guard lock(mutex_);
    if (elastic_ && elastic_->workers > 0) --elastic_->workers;
}

unsigned WorkQueue::workerCount() const {
    std::lock_guard lock(mutex_);
    return elastic_ ? elastic_->workers : 0;
}

void WorkQueue::noteBlockDone() {
    std::lock_guard lock(mutex_);
    if (elastic_ && elastic_->busy > 0) --elastic_->busy;
}

std::optional<WorkQueue::Key> WorkQueue::postTimerTick(TimePoint at, Block block) {
    std::unique_lock lock(mutex_);
    return push(lock, at, block);
}

void WorkQueue::cancel(const Key& key) {
    std::optional<Block> removed;
    std::lock_guard lock(mutex_);
    removed = items_.erase(key);
    // `removed` is declared before the lock, so it dies after the unlock.
}

void WorkQueue::wakeUp() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = wakeUpHandler_;
    }
    if (handler) handler();
}

void WorkQueue::setWakeUpHandler(std::function<void()> handler) {
    std::function<void()> previous;
    std::lock_guard lock(mutex_);
    previous = std::exchange(wakeUpHandler_, std::move(handler));
}

std::optional<Block> WorkQueue::waitAndTake() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (closed_) return std::nullopt;
        auto next = items_.nextTime();
        if (!next) {
            if (retired_) return std::nullopt;
            if (elastic_ && elastic_->workers > elastic_->least) {
                const bool woken = changed_.wait_for(lock, elastic_->idleExit, [&] { return closed_ || !items_.empty(); });
                if (!woken && elastic_->workers > elastic_->least) {
                    --elastic_->workers;
                    return std::nullopt;
                }
                continue;
            }
            changed_.wait(lock);
            continue;
        }
        if (auto due = items_.popDue(SteadyClock::now())) {
            Block block = std::move(due->second);
            if (elastic_) {
                ++elastic_->busy;
                // Work still waits and nobody is free to take it.
                if (claimNewWorker()) startClaimedWorker(lock);
            }
            return block;
        }
        changed_.wait_until(lock, *next);
    }
}

std::optional<Block> WorkQueue::takeDue(std::uint64_t sequenceLimit) {
    std::lock_guard lock(mutex_);
    if (closed_) return std::nullopt;
    if (auto due = items_.popDue(SteadyClock::now(), sequenceLimit)) return std::move(due->second);
    return std::nullopt;
}

std::uint64_t WorkQueue::nextSequence() const {
    std::lock_guard lock(mutex_);
    return items_.nextSequence();
}

std::optional<WorkQueue::TimePoint> WorkQueue::nextTime() const {
    std::lock_guard lock(mutex_);
    return items_.nextTime();
}

void WorkQueue::waitForWork(TimePoint until) {
    std::unique_lock lock(mutex_);
    const std::uint64_t seen = generation_;
    TimePoint deadline = until;
    if (auto next = items_.nextTime(); next && *next < deadline) deadline = *next;
    changed_.wait_until(lock, deadline, [&] { return interrupted_ || closed_ || generation_ != seen; });
    interrupted_ = false;
}

void WorkQueue::interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    changed_.notify_all();
}

void WorkQueue::close() {
    std::unique_lock lock(mutex_);
    closed_ = true;
    ++generation_;
    // Dropped blocks may release objects that try to queue more work; that
    // is refused now, so this ends.
    while (!items_.empty()) {
        auto dropped = items_.takeAll();
        lock.unlock();
        dropped.clear();
        lock.lock();
    }
    std::function<void()> handler = std::move(wakeUpHandler_);
    wakeUpHandler_ = nullptr;
    lock.unlock();
    changed_.notify_all();
}

bool WorkQueue::isClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

void WorkQueue::retire() {
    {
        std::lock_guard lock(mutex_);
        retired_ = true;
        ++generation_;
    }
    changed_.notify_all();
}

void WorkQueue::runCatching(Block& block) noexcept {
    try {
        if (block) block();
    } catch (...) {
        // Nowhere to report it from here; the block's owner logs its own failures.
    }
}

}  // namespace velmora
