#include "sim/services/SimProcessInspector.h"

#include <unistd.h>

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

int SimProcessInspector::ownProcessIdentifier() const { return static_cast<int>(::getpid()); }

}  // namespace velmora::sim
