#pragma once
// A whole Platform running against a simulated Mac: the program's processes
// run inside the machine folder (its tools are the simulator's stand-ins),
// the services are the simulator's stand-ins over the same machine state,
// user defaults live in DIR/.velmora-sim/defaults, the record of held
// background jobs in DIR/.velmora-sim/jobs, and alerts are answered from the
// machine state.
#include <memory>
#include <optional>
#include <string>

#include "foundation/process/PosixProcessLauncher.h"
#include "platform/Platform.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

struct SimulatedPlatformOptions {
    // Deadlines and output cap; the root, PATH folders and environment are set
    // from the machine.
    LauncherOptions launcher;
    std::shared_ptr<const StringTable> strings;  // null: an empty table (texts fall back to their defaults)
    std::shared_ptr<RandomSource> random;        // null: seeded from entropy
    std::string defaultsDomain = "com.orrindel.velmora";
    // The running program's bundle; absent: DIR/Applications/Velmora.app.
    std::optional<std::string> bundlePath;
    // The machine's clock for notification, alert and assertion times; empty:
    // the host's wall clock. Read on the caller's thread only.
    MachineClock clock;
};

// Where the program keeps the disks' history on the simulated Mac: in the
// application-support folder of the machine's user.
std::string historyFileFor(const std::string& machineDir);

Platform makeSimulatedPlatform(const std::string& machineDir, std::shared_ptr<Scheduler> scheduler,
                               std::shared_ptr<Diagnostics> diagnostics, SimulatedPlatformOptions options = {});

}  // namespace velmora::sim
