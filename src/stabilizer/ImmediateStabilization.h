#pragma once
// What happens at once when the number of USB disks changes: each disk is
// mounted, remounted without access times and its link quality checked, then
// the power assertion is renewed and the level returns to protecting 2 s later.
#include <vector>

#include "stabilizer/PowerProtection.h"
#include "stabilizer/StabilizerContext.h"
#include "stabilizer/USBDiskInfo.h"

namespace velmora {

class ImmediateStabilization {
public:
    ImmediateStabilization(const StabilizerContext& context, PowerProtection& power);

    void performImmediateStabilization(const std::vector<USBDiskInfo>& disks) const;
    void stabilizeIndividualUSBDisk(const USBDiskInfo& disk) const;
    void checkUSBConnectionQuality(const USBDiskInfo& disk) const;
    void attemptUSBConnectionImprovement(const USBDiskInfo& disk) const;

private:
    const StabilizerContext& context_;
    PowerProtection& power_;
};

}  // namespace velmora
