#pragma once
// The simulator's process facts: working directories come from the machine
// state's process table; the program's own process is the host process, as
// for the power assertions it holds.
#include <memory>

#include "platform/ProcessInspector.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimProcessInspector final : public ProcessInspector {
public:
    explicit SimProcessInspector(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
    WorkingDirectoryAnswer workingDirectory(int processIdentifier) override;
    int ownProcessIdentifier() const override;

private:
    std::shared_ptr<Machine> machine_;
};

}  // namespace velmora::sim
