#pragma once
// A disk's last 7 days as its card draws them: a one-line summary of the
// last 24 hours, marks on a timeline, and a throughput sparkline.
#include <string>
#include <vector>

#include "history/record/HistoryEvent.h"

namespace velmora {

struct DiskHistoryMark {
    double position = 0;  // 0 is seven days ago, 1 is now
    std::string tone;     // "green" connected, "grey" ejected, "red" vanished, "orange" enumeration failures
    bool operator==(const DiskHistoryMark&) const = default;
};

struct DiskHistoryView {
    static constexpr double days = 7;
    static constexpr int slotCount = 42;  // four hours each

    std::string summary;  // "3 disconnects in the last 24 hours"
    std::vector<DiskHistoryMark> marks;
    // Per slot, oldest first: the slot's highest sample over the week's
    // highest (0..1), or -1 for a slot without a sample.
    std::vector<double> throughput;
    std::string throughputCaption;  // "Peak 312 MB/s", empty without samples
    bool operator==(const DiskHistoryView&) const = default;
};

// `week` is the disk's events since seven days before `now`.
DiskHistoryView diskHistoryView(const std::vector<HistoryEvent>& week, Date now);

}  // namespace velmora
