#include "foundation/dispatch/VirtualSerialQueue.h"

#include <utility>

namespace velmora {

VirtualSerialQueue::VirtualSerialQueue(std::weak_ptr<VirtualEventLoop> loop, std::string label,
                                       QualityOfService qos)
    : loop_(std::move(loop)), label_(std::move(label)), qos_(qos) {}

void VirtualSerialQueue::async(Block block) {
    // Blocks queued after the scheduler is gone are dropped.
    if (auto loop = loop_.lock()) loop->scheduleAfter(0.0, label_, std::move(block));
}

}  // namespace velmora
