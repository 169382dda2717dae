#pragma once
// Per-controller power management: reading the USB tree for bridge chips,
// the one-off chip-specific scripts and the 120-second keep-alive pass. The
// stabilizer owns the timer; this unit says whether one is wanted.
#include <string>
#include <vector>

#include "stabilizer/StabilizerContext.h"
#include "stabilizer/USBControllerInfo.h"

namespace velmora {

class ControllerPowerManagement {
public:
    static constexpr const char* deviceTreeCommand =
        "ioreg -p IOUSB -w0 -l | grep -E \"USB Product Name|idVendor|idProduct|CurrentPowerState|DeviceAddress\" "
        "| paste - - - - -";

    explicit ControllerPowerManagement(const StabilizerContext& context);

    // Stabilizer's queue: reads and parses the tree.
    std::vector<USBControllerInfo> readControllers() const;
    // Stabilizer's queue, given the published list: runs the chip scripts. Returns
    // whether problem controllers exist, that is whether the stabilizer turns
    // to its power-management level and schedules the keep-alive timer.
    bool startAdvancedPowerManagement(const std::vector<USBControllerInfo>& controllers) const;
    void performRealtekRTL9210BPowerManagement(const USBControllerInfo& controller) const;
    // Stabilizer's queue: the keep-alive pass over the published list.
    void performPowerManagementCycle(const std::vector<USBControllerInfo>& controllers) const;

private:
    const StabilizerContext& context_;
};

}  // namespace velmora
