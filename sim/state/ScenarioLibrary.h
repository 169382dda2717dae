#pragma once
// Scenarios are machine states kept as data files (NAME.json, the state
// format). In a scenario, a mount point starting with "@MACHINE@" is inside
// the machine folder, and a negative time (log lines, launch times,
// assertions) counts seconds back from the moment the machine is made.
#include <string>
#include <vector>

#include "sim/state/MachineState.h"

namespace velmora::sim {

class ScenarioLibrary {
public:
    // The folder the scenarios were built with (the source tree's sim/scenarios).
    static std::string defaultFolder();
    // The built tree's folder when it is there, else "scenarios" beside the
    // program (where an installed copy keeps them).
    static std::string folderFor(const std::string& programFolder);
    explicit ScenarioLibrary(std::string folder = defaultFolder());

    std::vector<std::string> names() const;
    std::string fileFor(const std::string& name) const;
    // The scenario made concrete for a machine folder at time `now`.
    MachineState load(const std::string& name, const std::string& machineDir, double now) const;
    static MachineState loadFile(const std::string& path, const std::string& machineDir, double now);

private:
    std::string folder_;
};

}  // namespace velmora::sim
