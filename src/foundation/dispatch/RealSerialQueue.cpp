#include "foundation/dispatch/RealSerialQueue.h"

#include <utility>

namespace velmora {

RealSerialQueue::RealSerialQueue(std::shared_ptr<WorkQueue> queue, std::string label, QualityOfService qos)
    : queue_(std::move(queue)), label_(std::move(label)), qos_(qos) {}

RealSerialQueue::~RealSerialQueue() {
    queue_->retire();
}

void RealSerialQueue::async(Block block) {
    queue_->post(WorkQueue::Duration::zero(), std::move(block));
}

}  // namespace velmora
