#pragma once
// `diskutil info` of one disk or volume: the property list with the real key
// set, the aligned text form, and the error property list for a disk that
// cannot be found.
#include <string>

#include "sim/state/MachineState.h"
#include "sim/tools/DiskLookup.h"

namespace velmora::sim {

class DiskutilInfo {
public:
    static std::string plist(const MachineState& state, const DiskTarget& target);
    static std::string text(const MachineState& state, const DiskTarget& target);
    static std::string errorPlist(const std::string& specifier);
    // One "   Label:   value" line with the value column where diskutil puts it.
    static std::string line(const std::string& label, const std::string& value);
};

}  // namespace velmora::sim
