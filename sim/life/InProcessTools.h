#pragma once
// Runs the machine's stand-in tools inside the calling process, on the
// caller's clock: a tool's own waits (top's interval, a slow fault) and a hang
// cost the caller virtual time instead of real time, and no process starts.
// The answer is the one the real launcher would give for the same run:
// output wiring, exit status, faults, deadline and output cap.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/ProcessLauncher.h"
#include "sim/state/Machine.h"

namespace velmora::life {

class InProcessTools {
public:
    InProcessTools(std::string machineDir, sim::MachineClock clock, std::shared_ptr<Diagnostics> diagnostics,
                   std::size_t outputCapBytes);

    // The stand-in tool a run would start, or "" when the run is not one:
    // a program outside the machine's tool tree, a tool whose link is gone
    // or not executable (the real start fails as it should), or a run that
    // is not waited for or keeps background jobs.
    std::string toolFor(const RunSpec& request) const;
    // The run's result, or nothing when toolFor() has no tool for it.
    // `stall(seconds)` keeps the caller busy for that much virtual time.
    std::optional<RunResult> run(const RunSpec& request, double deadlineSeconds,
                                 const std::function<void(double)>& stall);

private:
    std::string machineDir_;
    sim::MachineClock clock_;
    std::shared_ptr<Diagnostics> diagnostics_;
    std::size_t outputCapBytes_;
};

}  // namespace velmora::life
