#pragma once
// A serial queue on virtual time: its blocks are events under the queue's
// label, run in the order they were queued by the single virtual thread.
#include <memory>
#include <string>

#include "foundation/dispatch/Scheduler.h"
#include "foundation/dispatch/VirtualEventLoop.h"

namespace velmora {

class VirtualSerialQueue final : public SerialQueue {
public:
    VirtualSerialQueue(std::weak_ptr<VirtualEventLoop> loop, std::string label, QualityOfService qos);

    void async(Block block) override;
    const std::string& label() const override { return label_; }
    QualityOfService qualityOfService() const override { return qos_; }

private:
    std::weak_ptr<VirtualEventLoop> loop_;
    std::string label_;
    QualityOfService qos_;
};

}  // namespace velmora
