#pragma once
// How a faulty tool spoils its output. One place for every tool, so a fault
// looks the same whichever tool carries it.
#include <string>

#include "sim/state/MachineState.h"

namespace velmora::sim {

class OutputFaults {
public:
    // Size a "huge" output reaches at least.
    static constexpr std::size_t hugeSize = 500 * 1024;

    // Valid UTF-8, but cut and with bytes replaced: no parser accepts it.
    static std::string garble(const std::string& output);
    // The first half, cut at a character boundary.
    static std::string truncate(const std::string& output);
    // Bytes that are not UTF-8 after the first line and in the middle.
    static std::string insertNonUTF8(const std::string& output);
    // More of the machine than it has, so listings grow long but stay well
    // formed: hundreds of extra partitions, USB devices and processes.
    static void inflate(MachineState& state);
    // Repeats the last line until the output is at least hugeSize long (for
    // tools whose output does not grow with the machine).
    static std::string padToHuge(const std::string& output);
};

}  // namespace velmora::sim
