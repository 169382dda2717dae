#pragma once
// Reading heavy creative and development applications out of `top` logging
// output. The first sample of a logging run has nothing to measure against
// and shows 0.0 %CPU for every process, so only the second sample is read.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Tested in this order; the first one found decides that a line is of interest.
inline constexpr std::array<std::string_view, 10> kLargeAppFragments = {
    "Final Cut", "Adobe", "Xcode", "Unity", "Maya", "Blender", "Logic Pro", "Premiere", "DaVinci", "Cinema 4D"};

// Processor use above this (strictly) makes an application heavy.
inline constexpr double kLargeAppCPUThreshold = 5.0;

// The lines of the second sample (each sample starts with "Processes:");
// empty when the output holds fewer than two samples.
std::vector<std::string_view> secondTopSample(std::string_view output);

// Names of the heavy applications in the second sample of top's raw output,
// in line order, with repeats. Each line is decoded on its own (a letter cut
// at the column's end is dropped). A line counts when it has at least three
// fields, its COMMAND contains a fragment (case-folded), and its third field
// cut at "%" is a number above the threshold. The name is the COMMAND column, the field after the PID: a
// line whose name holds a space has its third field inside the name and is
// skipped, so the COMMAND of a counted line is always one field.
std::vector<std::string> heavyApplicationsInTop(std::string_view output);

}  // namespace velmora
