#pragma once
// Reading `iostat -d -c 2 -w 1 DISK` output: a line of disk names, a line of
// "KB/t tps MB/s" per disk, then one data line per report, one column group
// per disk. The first report is the average since boot; the second covers
// the one second between them.
#include <optional>
#include <string_view>

#include "performance/PerformanceMetrics.h"

namespace velmora {

// The second report's MB/s of the disk `diskId`, as both speeds. Absent when
// the header does not name that disk (iostat shows only some disks), when
// there is no second report, or when the group's MB/s is not a number: no
// other disk's figure ever stands in for it.
std::optional<PerformanceMetrics> parseIostatOutput(std::string_view text, std::string_view diskId);

}  // namespace velmora
