#include "sim/tools/ToolContext.h"

namespace velmora::sim {

ToolContext::ToolContext(Machine& machine, std::string invokedAs, double now, Sleeper sleeper)
    : machine_(machine), invokedAs_(std::move(invokedAs)), now_(now), sleeper_(std::move(sleeper)) {}

const MachineState& ToolContext::state() {
    if (!state_) state_ = machine_.read();
    return *state_;
}

std::string ToolContext::invokedAsOnMac() const {
    const std::string& root = machine_.directory();
    if (!root.empty() && invokedAs_.size() > root.size() && invokedAs_.compare(0, root.size(), root) == 0 &&
        invokedAs_[root.size()] == '/') {
        return invokedAs_.substr(root.size());
    }
    return invokedAs_;
}

void ToolContext::sleep(double seconds) const {
    if (sleeper_ && seconds > 0) sleeper_(seconds);
}

}  // namespace velmora::sim
