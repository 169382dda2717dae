#pragma once
// Reading `iostat -d` output: a line of disk names, a line of "KB/t tps MB/s"
// per disk, then one data line per report, one column group per disk.
#include <string_view>

#include "performance/PerformanceMetrics.h"

namespace velmora {

// The first report's MB/s of the disk `diskId` when the header names it, of
// the first disk otherwise, as both speeds. The all-zero record when the text
// has no data line or the group's MB/s is not a number.
PerformanceMetrics parseIostatOutput(std::string_view text, std::string_view diskId);

}  // namespace velmora
