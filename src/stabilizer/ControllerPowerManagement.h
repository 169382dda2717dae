#pragma once
// Per-controller power management: reading the USB tree for bridge chips,
// the one-off chip-specific scripts and the 120-second keep-alive pass. The
// stabilizer owns the timer; this unit says whether one is wanted.
#include <map>
#include <memory>
#include <mutex>
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
    bool startAdvancedPowerManagement(const std::vector<USBControllerInfo>& controllers);
    // `loopKey` names the controller's polling loop (see pollingLoops_).
    void performRealtekRTL9210BPowerManagement(const USBControllerInfo& controller, const std::string& loopKey);
    // Stabilizer's queue: the keep-alive pass over the published list.
    void performPowerManagementCycle(const std::vector<USBControllerInfo>& controllers) const;

    // Ends every polling loop the Realtek script left running (at a stop).
    void endPollingLoops();

private:
    const StabilizerContext& context_;
    // The Realtek script leaves a polling loop behind. The program keeps one
    // per controller, keyed by its name and its place among controllers of
    // that name, so two identical enclosures get one each; a later run of the
    // script for the same controller replaces the earlier loop. They end with
    // a stop, and with this object.
    std::mutex loopsMutex_;
    std::map<std::string, std::shared_ptr<BackgroundJobs>> pollingLoops_;
};

}  // namespace velmora
