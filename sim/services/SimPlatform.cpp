#include "sim/services/SimPlatform.h"

#include "foundation/defaults/FileUserDefaults.h"
#include "foundation/process/BackgroundJobLedger.h"
#include "sim/services/SimAlerts.h"
#include "sim/services/SimAppleScriptRunner.h"
#include "sim/services/SimJobJournal.h"
#include "sim/services/SimNotificationCenter.h"
#include "sim/services/SimPowerAssertions.h"
#include "sim/services/SimProcessInspector.h"
#include "sim/services/SimWorkspace.h"
#include "sim/state/MachineFolder.h"
#include "sim/state/ToolTree.h"

namespace velmora::sim {

std::string historyFileFor(const std::string& machineDir) {
    return MachineFolder::absolute(machineDir) + "/Users/velmora/Library/Application Support/Velmora/History.sqlite";
}

Platform makeSimulatedPlatform(const std::string& machineDir, std::shared_ptr<Scheduler> scheduler,
                               std::shared_ptr<Diagnostics> diagnostics, SimulatedPlatformOptions options) {
    const std::string dir = MachineFolder::absolute(machineDir);
    auto machine = std::make_shared<Machine>(dir);

    LauncherOptions launcher = options.launcher;
    launcher.systemRoot = dir;
    launcher.hostUtilityFolders = {ToolTree::hostUtilityFolder(dir)};
    launcher.environment["VELMORA_SIM_MACHINE"] = dir;

    Platform platform;
    platform.scheduler = std::move(scheduler);
    platform.diagnostics = diagnostics;
    // A launch first ends the scripts' background jobs that a run killed
    // before it could end them left behind.
    auto jobs = BackgroundJobLedger::create(dir + "/.velmora-sim/jobs", diagnostics);
    jobs->endLeftovers();
    platform.processes = std::make_shared<JournalingJobsLauncher>(
        std::make_shared<LedgerLauncher>(std::make_shared<PosixProcessLauncher>(launcher, diagnostics), jobs), machine);
    platform.power = std::make_shared<SimPowerAssertions>(machine, options.clock);
    platform.workspace = std::make_shared<SimWorkspace>(machine);
    platform.appleScript = std::make_shared<SimAppleScriptRunner>(machine);
    platform.notifications = std::make_shared<SimNotificationCenter>(machine, options.clock);
    platform.defaults = std::make_shared<FileUserDefaults>(dir + "/.velmora-sim/defaults", options.defaultsDomain, diagnostics);
    platform.strings = options.strings ? options.strings : std::make_shared<const StringTable>();
    platform.random = options.random ? options.random : std::make_shared<RandomSource>(RandomSource::fromEntropy().seed());
    platform.alerts = std::make_shared<SimAlerts>(machine, options.clock);
    platform.bundle.identifier = options.defaultsDomain;
    platform.bundle.path = options.bundlePath ? *options.bundlePath : dir + "/Applications/Velmora.app";
    platform.processInspector = std::make_shared<SimProcessInspector>(machine);
    return platform;
}

}  // namespace velmora::sim
