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
    explicit SimAlerts(std::shared_ptr<Machine> machine, MachineClock clock = {})
        : machine_(std::move(machine)), clock_(Machine::clockOr(std::move(clock))) {}
    std::size_t runModal(const AlertRequest& request) override;

private:
    std::shared_ptr<Machine> machine_;
    MachineClock clock_;
};

}  // namespace velmora::sim
