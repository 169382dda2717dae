#pragma once
// `diskutil list` in its two forms: the property list (exactly the keys
// AllDisks, AllDisksAndPartitions, VolumesFromDisks and WholeDisks) and the
// text table with one block per whole disk.
#include <string>
#include <vector>

#include "sim/state/MachineState.h"

namespace velmora::sim {

class DiskutilList {
public:
    // Which whole disks a listing shows, in the machine's order.
    static std::vector<const Disk*> select(const MachineState& state, const std::string& filter,
                                           const Disk* onlyDisk);
    static std::string plist(const MachineState& state, const std::vector<const Disk*>& disks);
    static std::string text(const MachineState& state, const std::vector<const Disk*>& disks);
};

}  // namespace velmora::sim
