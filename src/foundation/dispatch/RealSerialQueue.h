#pragma once
// The handle of a serial queue that runs on its own thread. The thread
// belongs to the scheduler, not to the handle: dropping the last handle (even
// from one of the queue's own blocks) lets the queue finish what was queued
// and end, without anybody waiting for a thread to join itself.
#include <memory>
#include <string>

#include "foundation/dispatch/Scheduler.h"
#include "foundation/dispatch/WorkQueue.h"

namespace velmora {

class RealSerialQueue final : public SerialQueue {
public:
    RealSerialQueue(std::shared_ptr<WorkQueue> queue, std::string label, QualityOfService qos);
    ~RealSerialQueue() override;
    RealSerialQueue(const RealSerialQueue&) = delete;
    RealSerialQueue& operator=(const RealSerialQueue&) = delete;

    void async(Block block) override;
    const std::string& label() const override { return label_; }
    QualityOfService qualityOfService() const override { return qos_; }

private:
    std::shared_ptr<WorkQueue> queue_;
    std::string label_;
    QualityOfService qos_;
};

}  // namespace velmora
