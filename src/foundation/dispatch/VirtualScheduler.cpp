#include "foundation/dispatch/VirtualScheduler.h"

#include <utility>

#include "foundation/dispatch/RepeatingTimer.h"
#include "foundation/dispatch/VirtualSerialQueue.h"

namespace velmora {

VirtualScheduler::VirtualScheduler(Date start) : loop_(std::make_shared<VirtualEventLoop>(start)) {}

VirtualScheduler::~VirtualScheduler() {
    // Timers first: their blocks may hold objects that own them, a cycle only
    // invalidation breaks. Then whatever is still queued is dropped.
    loop_->close();
    timers_.invalidateAll();
    loop_->close();
}

void VirtualScheduler::asyncMain(Block block) {
    loop_->scheduleAfter(0.0, VirtualEventLoop::mainContext, std::move(block));
}

void VirtualScheduler::asyncMainAfter(double seconds, Block block) {
    loop_->scheduleAfter(seconds, VirtualEventLoop::mainContext, std::move(block));
}

std::shared_ptr<Timer> VirtualScheduler::scheduleRepeatingTimer(double intervalSeconds, Block tick) {
    auto timer = RepeatingTimer<VirtualEventLoop>::start(loop_, intervalSeconds, std::move(tick));
    timers_.add(timer);
    return timer;
}

bool VirtualScheduler::isMainThread() const {
    return loop_->isMainContext();
}

std::shared_ptr<SerialQueue> VirtualScheduler::makeSerialQueue(std::string label, QualityOfService qos) {
    return std::make_shared<VirtualSerialQueue>(loop_, std::move(label), qos);
}

void VirtualScheduler::asyncGlobal(QualityOfService, Block block) {
    loop_->scheduleAfter(0.0, VirtualEventLoop::globalContext, std::move(block));
}

void VirtualScheduler::asyncGlobalAfter(QualityOfService, double seconds, Block block) {
    loop_->scheduleAfter(seconds, VirtualEventLoop::globalContext, std::move(block));
}

void VirtualScheduler::sleep(double seconds) {
    loop_->sleep(seconds);
}

Date VirtualScheduler::now() const {
    return loop_->now();
}

// The loop is held for the whole run: a block may destroy this scheduler,
// which closes the loop, and the run then simply ends.
void VirtualScheduler::advance(double seconds) {
    auto loop = loop_;
    loop->advance(seconds);
}

void VirtualScheduler::runUntilIdle() {
    auto loop = loop_;
    loop->runUntilIdle();
}

void VirtualScheduler::stall(double seconds) {
    auto loop = loop_;
    loop->stall(seconds);
}

std::size_t VirtualScheduler::pendingCount(const std::string& context) const {
    return loop_->pendingCount(context);
}

std::size_t VirtualScheduler::pendingCount() const {
    return loop_->pendingCount();
}

std::string VirtualScheduler::currentContext() const {
    return loop_->currentContext();
}

}  // namespace velmora
