#pragma once
// The simulator's stand-in for the workspace: running applications are the
// machine state's processes marked as applications, and opened URLs are
// recorded in the state instead of opening anything.
#include <memory>

#include "platform/Workspace.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimWorkspace final : public Workspace {
public:
    explicit SimWorkspace(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
    std::vector<RunningApplication> runningApplications() override;
    bool openURL(const std::string& url) override;

private:
    std::shared_ptr<Machine> machine_;
};

}  // namespace velmora::sim
