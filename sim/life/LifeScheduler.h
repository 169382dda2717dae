#pragma once
// Hands everything to the virtual scheduler and remembers the label of every
// serial queue made, so the life run can look at each queue's backlog.
#include <mutex>
#include <set>
#include <string>

#include "foundation/dispatch/VirtualScheduler.h"

namespace velmora::life {

class LifeScheduler final : public Scheduler {
public:
    explicit LifeScheduler(std::shared_ptr<VirtualScheduler> inner) : inner_(std::move(inner)) {}

    void asyncMain(Block block) override { inner_->asyncMain(std::move(block)); }
    void asyncMainAfter(double seconds, Block block) override { inner_->asyncMainAfter(seconds, std::move(block)); }
    std::shared_ptr<Timer> scheduleRepeatingTimer(double intervalSeconds, Block tick) override {
        return inner_->scheduleRepeatingTimer(intervalSeconds, std::move(tick));
    }
    bool isMainThread() const override { return inner_->isMainThread(); }
    std::shared_ptr<SerialQueue> makeSerialQueue(std::string label, QualityOfService qos) override {
        {
            std::lock_guard lock(mutex_);
            labels_.insert(label);
        }
        return inner_->makeSerialQueue(std::move(label), qos);
    }
    void asyncGlobal(QualityOfService qos, Block block) override { inner_->asyncGlobal(qos, std::move(block)); }
    void asyncGlobalAfter(QualityOfService qos, double seconds, Block block) override {
        inner_->asyncGlobalAfter(qos, seconds, std::move(block));
    }
    void sleep(double seconds) override { inner_->sleep(seconds); }
    Date now() const override { return inner_->now(); }

    std::set<std::string> queueLabels() const {
        std::lock_guard lock(mutex_);
        return labels_;
    }

private:
    std::shared_ptr<VirtualScheduler> inner_;
    mutable std::mutex mutex_;
    std::set<std::string> labels_;
};

}  // namespace velmora::life
