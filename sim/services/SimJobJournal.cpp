#include "sim/services/SimJobJournal.h"

#include <exception>
#include <string>

#include "foundation/process/ProcessIdentity.h"

namespace velmora::sim {

RunResult JournalingJobsLauncher::run(const RunSpec& request) {
    RunResult result = inner_->run(request);
    if (!request.keepJobs || !result.jobs || result.pid <= 0) return result;
    const auto left = processGroupMembers(result.pid);
    if (left.empty()) return result;
    JournalEntry entry;
    // Dated as the run's tools date their own entries: by the clock the run
    // was handed (a simulated life's virtual time), else the host's.
    const auto handed = request.environment.find("VELMORA_SIM_NOW");
    entry.time = Machine::now();
    if (handed != request.environment.end()) {
        try {
            entry.time = std::stod(handed->second);
        } catch (const std::exception&) {
        }
    }
    entry.argv = {kEntryName, request.program};
    entry.argv.insert(entry.argv.end(), request.arguments.begin(), request.arguments.end());
    entry.exitStatus = static_cast<int>(left.size());
    try {
        machine_->appendJournal(entry);
    } catch (const std::exception&) {
        // A journal that cannot be written must not change what the caller sees.
    }
    return result;
}

}  // namespace velmora::sim
