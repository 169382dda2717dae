#pragma once
// Mounting and unmounting a volume of the machine: the mount point is a real
// folder under DIR/Volumes named after the volume, so file-system work on a
// mounted volume stays inside the machine folder.
#include <string>

#include "sim/state/Machine.h"
#include "sim/state/MachineState.h"

namespace velmora::sim {

class VolumeMounts {
public:
    // Mounts `volume` (already found in `state`) and returns its mount point.
    static std::string mount(const Machine& machine, MachineState& state, Volume& volume);
    static void unmount(const Machine& machine, Volume& volume);
    // The folder name macOS would use: "/" becomes ":", no name is "Untitled".
    static std::string folderName(const std::string& volumeName);
};

}  // namespace velmora::sim
