#pragma once
// The simulator's stand-in for IOKit power assertions: assertions live in the
// machine state (with this process's pid), so `pmset -g assertions` on the
// same machine lists them.
#include <memory>

#include "platform/PowerAssertions.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimPowerAssertions final : public PowerAssertions {
public:
    static constexpr int kIOReturnBadArgument = -536870206;
    static constexpr int kIOReturnError = -536870212;

    explicit SimPowerAssertions(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
    int create(const std::string& type, int level, const std::string& name, std::uint32_t& id) override;
    int release(std::uint32_t id) override;

private:
    std::shared_ptr<Machine> machine_;
};

}  // namespace velmora::sim
