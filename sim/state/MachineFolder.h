#pragma once
// Making a machine folder: the folder tree, the tool links and the first
// state. Mount points inside the folder become real folders.
#include <string>
#include <vector>

#include "sim/state/MachineState.h"

namespace velmora::sim {

class MachineFolder {
public:
    // `machineDir` is made absolute; returns the absolute path used.
    static std::string create(const std::string& machineDir, const MachineState& initial, const std::string& toolBinary);
    static std::string absolute(const std::string& path);
    // Processes other than this one started against the machine: every tool
    // and script run (background jobs included) carries its folder in
    // VELMORA_SIM_MACHINE, and nothing else does.
    static std::vector<int> processesStartedFor(const std::string& machineDir);
};

}  // namespace velmora::sim
