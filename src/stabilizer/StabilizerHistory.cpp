#include "stabilizer/StabilizerHistory.h"

#include <set>
#include <tuple>

namespace velmora {

namespace {

HistoryEvent machineEvent(HistoryKind kind, std::string name, std::string detail, const Scheduler& scheduler) {
    HistoryEvent event;
    event.time = scheduler.now();
    event.diskName = std::move(name);
    event.kind = kind;
    event.detail = std::move(detail);
    return event;
}

// The parser keeps the device tree's whole assignment ("idVendor\" = 3034");
// the history wants the number.
std::string idNumber(const std::string& field) {
    const auto equals = field.rfind('=');
    std::string value = equals == std::string::npos ? field : field.substr(equals + 1);
    const auto first = value.find_first_not_of(" \t\"");
    const auto last = value.find_last_not_of(" \t\"");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

}  // namespace

void recordStabilizerHistory(AutomaticUSBStabilizer& stabilizer, std::shared_ptr<HistoryRecorder> history,
                             std::shared_ptr<Scheduler> scheduler) {
    if (!history) return;
    // Observers see the new value before it is stored, so get() still gives
    // the old one; a set to the same value is no change.
    std::weak_ptr<AutomaticUSBStabilizer> weak = stabilizer.weak_from_this();
    stabilizer.currentStabilityLevel.observe([weak, history, scheduler](const StabilityLevel& level) {
        auto self = weak.lock();
        if (!self || self->currentStabilityLevel.get() == level) return;
        history->record(machineEvent(HistoryKind::stabilityLevel, "", rawValue(level), *scheduler));
    });
    stabilizer.powerManagementActive.observe([weak, history, scheduler](const bool& active) {
        auto self = weak.lock();
        if (!self || self->powerManagementActive.get() == active) return;
        history->record(machineEvent(HistoryKind::powerAssertion, "", active ? "held" : "released", *scheduler));
    });
    // A chip is said once per run, not at every device-tree read.
    auto seen = std::make_shared<std::set<std::tuple<std::string, std::string, std::string>>>();
    stabilizer.usbControllerInfo.observe([history, scheduler, seen](const std::vector<USBControllerInfo>& controllers) {
        for (const auto& controller : controllers) {
            if (!controller.hasKnownIssues) continue;
            if (!seen->emplace(controller.deviceName, controller.vendorID, controller.productID).second) continue;
            history->record(machineEvent(HistoryKind::bridgeChip, controller.deviceName,
                                         controller.controllerType + " (" + idNumber(controller.vendorID) + ":" +
                                             idNumber(controller.productID) + ")",
                                         *scheduler));
        }
    });
}

}  // namespace velmora
