#pragma once
// The disk monitor's own small stabilizer: three system-tuning scripts once at
// start, then a pass over the external disks every 30 seconds that keeps them
// mounted, in a stronger form while an Adobe or other creative application
// runs. The monitor owns the timer, the gating and the queue the scripts run
// on; this unit owns the scripts.
#include <vector>

#include "disks/DiskInfo.h"
#include "platform/Platform.h"

namespace velmora {

class PeriodicDiskStabilizer {
public:
    static constexpr double passIntervalSeconds = 30.0;

    explicit PeriodicDiskStabilizer(Platform platform);

    // The start message and the three tuning scripts, on the calling thread
    // (never the main one: each script waits for its shell).
    void applyStartupTuning() const;
    // One pass over `connectedDisks` (its external ones, in order).
    void stabilize(const std::vector<DiskInfo>& connectedDisks) const;

    bool isAdobeApplicationRunning() const;
    void performEnhancedStabilization(const std::vector<DiskInfo>& disks) const;
    void performNormalStabilization(const std::vector<DiskInfo>& disks) const;

private:
    void run(const Script& script) const;
    void keepMounted(const DiskInfo& disk) const;

    Platform platform_;
};

}  // namespace velmora
