#include "sim/services/SimProcessInspector.h"

namespace velmora::sim {

WorkingDirectoryAnswer SimProcessInspector::workingDirectory(int processIdentifier) {
    MachineState state;
    try {
        state = machine_->read();
    } catch (const MachineError& error) {
        return {std::nullopt, error.what()};
    }
    for (const auto& process : state.processes) {
        if (process.pid != processIdentifier) continue;
        // launchd starts applications in the root folder.
        const std::string path = process.workingDirectory.value_or("/");
        if (path.empty() || path[0] != '/') return {std::nullopt, "not an absolute path: " + path};
        return {path, ""};
    }
    return {std::nullopt, "No such process"};
}

// The program runs on the host, not among the simulated machine's processes,
// whose numbers are the machine's own: the host's number for it could match
// a simulated application's (host numbers wrap) and hide that application.
int SimProcessInspector::ownProcessIdentifier() const { return -1; }

}  // namespace velmora::sim
