#pragma once
// The simulator's stand-in for modal alerts: nobody sits at a simulated Mac,
// so each alert is recorded in the machine state and answered at once with
// the machine's configured button (the first unless set otherwise).
#include <memory>

#include "platform/Alerts.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimAlerts final : public Alerts {
public:
    explicit SimAlerts(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
    std::size_t runModal(const AlertRequest& request) override;

private:
    std::shared_ptr<Machine> machine_;
};

}  // namespace velmora::sim
