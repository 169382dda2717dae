#pragma once
// Per-disk health checks and their recoveries: the quick one of every
// 10-second monitoring tick and the one of every 30-second cycle. They differ
// on purpose (what they read, how long the recovery pauses).
#include "stabilizer/StabilizerContext.h"
#include "stabilizer/USBDiskInfo.h"

namespace velmora {

class USBDiskHealth {
public:
    explicit USBDiskHealth(const StabilizerContext& context);

    void performDiskHealthCheck(const USBDiskInfo& disk) const;
    void performIndividualDiskRecovery(const USBDiskInfo& disk) const;
    void checkUSBDiskHealth(const USBDiskInfo& disk) const;
    void performDiskRecovery(const USBDiskInfo& disk) const;

private:
    const StabilizerContext& context_;
};

}  // namespace velmora
