#include "sim/services/SimWorkspace.h"

namespace velmora::sim {

std::vector<RunningApplication> SimWorkspace::runningApplications() {
    std::vector<RunningApplication> apps;
    MachineState state;
    try {
        state = machine_->read();
    } catch (const MachineError&) {
        return apps;
    }
    for (const auto& process : state.processes) {
        if (!process.isApplication) continue;
        RunningApplication app;
        app.processIdentifier = process.pid;
        app.bundleIdentifier = process.bundleIdentifier;
        app.localizedName = process.localizedName;
        app.bundlePath = process.bundlePath;
        switch (process.activationPolicy) {
            case 1: app.activationPolicy = ActivationPolicy::accessory; break;
            case 2: app.activationPolicy = ActivationPolicy::prohibited; break;
            default: app.activationPolicy = ActivationPolicy::regular; break;
        }
        if (process.launchTime) app.launchDate = dateFromSeconds(*process.launchTime);
        apps.push_back(std::move(app));
    }
    return apps;
}

bool SimWorkspace::openURL(const std::string& url) {
    if (url.empty()) return false;
    try {
        machine_->update([&](MachineState& state) { state.openedURLs.push_back(url); });
        return true;
    } catch (const MachineError&) {
        return false;
    }
}

}  // namespace velmora::sim
