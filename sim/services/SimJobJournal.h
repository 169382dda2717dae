#pragma once
// Puts each background job a run leaves behind into the machine's journal,
// beside the tool runs: a line "(background) PROGRAM ARGS…" whose status is
// the number of processes left in the run's group. Tests see from it which
// scripts left loops running, and how many, without reading the host's
// process table.
#include <memory>

#include "foundation/process/ProcessLauncher.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class JournalingJobsLauncher final : public ProcessLauncher {
public:
    static constexpr const char* kEntryName = "(background)";

    JournalingJobsLauncher(std::shared_ptr<ProcessLauncher> inner, std::shared_ptr<Machine> machine)
        : inner_(std::move(inner)), machine_(std::move(machine)) {}
    RunResult run(const RunSpec& request) override;

private:
    std::shared_ptr<ProcessLauncher> inner_;
    std::shared_ptr<Machine> machine_;
};

}  // namespace velmora::sim
