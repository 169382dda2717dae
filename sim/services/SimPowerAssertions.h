#pragma once
// The simulator's stand-in for IOKit power assertions: assertions live in the
// machine state (with this process's pid), so `pmset -g assertions` on the
// same machine lists them. As the system does when a process ends, the ones
// this stand-in made and that are still held go when it is destroyed.
#include <memory>
#include <mutex>
#include <set>

#include "platform/PowerAssertions.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimPowerAssertions final : public PowerAssertions {
public:
    static constexpr int kIOReturnBadArgument = -536870206;
    static constexpr int kIOReturnError = -536870212;

    explicit SimPowerAssertions(std::shared_ptr<Machine> machine, MachineClock clock = {})
        : machine_(std::move(machine)), clock_(Machine::clockOr(std::move(clock))) {}
    ~SimPowerAssertions() override;
    SimPowerAssertions(const SimPowerAssertions&) = delete;
    SimPowerAssertions& operator=(const SimPowerAssertions&) = delete;
    int create(const std::string& type, int level, const std::string& name, std::uint32_t& id) override;
    int release(std::uint32_t id) override;

private:
    std::shared_ptr<Machine> machine_;
    MachineClock clock_;
    std::mutex mutex_;
    std::set<std::uint32_t> made_;
};

}  // namespace velmora::sim
