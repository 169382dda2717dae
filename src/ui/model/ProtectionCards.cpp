#include "ui/model/ProtectionCards.h"

#include "foundation/strings/CaseFolding.h"

namespace velmora {

namespace {

CardStatus activeWhen(bool flag) { return flag ? CardStatus::active : CardStatus::inactive; }

constexpr std::size_t shownProtectedDisks = 3;

}  // namespace

AuthorizationCard authorizationCard(bool isAuthorized, const std::string& authorizationStatus) {
    AuthorizationCard card;
    card.isShown = !isAuthorized;
    card.authorizationStatus = authorizationStatus;
    return card;
}

StabilizerCard stabilizerCard(bool optimizerPowerManagementActive) {
    StabilizerCard card;
    card.header = {"Automatic USB Stabilizer", "shield.checkerboard", activeWhen(optimizerPowerManagementActive)};
    card.headline = {"bolt.shield.fill", "Smart USB Protection"};
    card.statusValue = optimizerPowerManagementActive ? "Active Protection" : "Passive";
    for (const char* feature : {"High USB I/O Priority", "Power Interruption Protection", "Adobe Compatible Operation"})
        card.features.push_back({"checkmark.circle.fill", feature});
    return card;
}

ControllerCard controllerCard(const AutomaticUSBStabilizer& stabilizer) {
    const bool powerManagement = stabilizer.powerManagementActive.get();
    ControllerCard card;
    const CardStatus status = powerManagement             ? CardStatus::active
                              : stabilizer.isActive.get() ? CardStatus::warning
                                                          : CardStatus::inactive;
    card.header = {"USB Controller Management", "cpu.fill", status};
    card.level = {"shield.lefthalf.filled", rawValue(stabilizer.currentStabilityLevel.get())};
    card.lastAction = stabilizer.lastStabilizationAction.get();
    card.controllers = {"cpu", "Controllers: " + std::to_string(stabilizer.usbControllerInfo.get().size()) + " detected"};
    // Product decision: the power-management line is shown only while the
    // stabilizer's power management actually runs; a line claiming it is
    // active in every state would tell the user something untrue.
    if (powerManagement) card.powerManagement = SymbolLine{"moon.zzz", "Power management active"};
    const auto disks = stabilizer.usbDisksProtected.get();
    card.protectedDisksCount = std::to_string(disks.size());
    for (std::size_t i = 0; i < disks.size() && i < shownProtectedDisks; ++i) {
        ProtectedDiskLine line;
        line.name = disks[i];
        if (powerManagement) line.powerSymbol = "bolt.fill";
        card.protectedDisks.push_back(std::move(line));
    }
    if (disks.size() > shownProtectedDisks)
        card.moreDisks = "... and " + std::to_string(disks.size() - shownProtectedDisks) + " more";
    return card;
}

PowerCard powerCard(bool active) {
    PowerCard card;
    card.header = {"USB-C Power Management", "bolt.shield.fill", activeWhen(active)};
    card.rows = {{"checkmark.shield", "Power Management", active ? "Active" : "Inactive", active},
                 {"moon.zzz", "System sleep mode", active ? "Prevented" : "Normal", active},
                 {"bolt.shield", "USB port protection", active ? "Active" : "Passive", active}};
    return card;
}

AggressivePowerCard aggressivePowerCard(bool isAggressivePowerActive, bool isProcessing) {
    AggressivePowerCard card;
    card.header = {"Aggressive Power Protection", "bolt.shield.fill", activeWhen(isAggressivePowerActive)};
    card.toggle.label = isAggressivePowerActive ? "Deactivate" : "Activate";
    card.toggle.showsProgress = isProcessing;
    return card;
}

ConnectionCard connectionCard(const std::vector<DiskInfo>& disks, bool usbConnectionStable, const StringTable& strings) {
    ConnectionCard card;
    card.header = {"USB Connection Status", "cable.connector",
                   usbConnectionStable ? CardStatus::active : CardStatus::warning};
    for (const auto& disk : disks) {
        if (!disk.isExternal) continue;
        if (caseFolded(disk.name).find("disk image") != std::string::npos) continue;
        if (disk.name.starts_with("/dev/disk")) continue;
        card.disks.push_back({disk.id, "checkmark.circle.fill", disk.name,
                              strings.localized("connection_stable", "Connection stable"), "Active", CardStatus::active});
    }
    if (card.disks.empty()) card.emptyLine = SymbolLine{"externaldrive.badge.questionmark", "External disk not connected"};
    return card;
}

AppTrackingCard appTrackingCard(const std::vector<AppInfo>& highResourceApps, const StringTable& strings) {
    AppTrackingCard card;
    card.header = {"Large Application Tracking", "cpu.fill",
                   highResourceApps.empty() ? CardStatus::normal : CardStatus::warning};
    for (const auto& app : highResourceApps) {
        card.apps.push_back({app.bundleIdentifier, "exclamationmark.triangle.fill", app.name,
                             strings.localized("high_resource_usage", "High resource usage"), "Protected",
                             CardStatus::warning});
    }
    if (card.apps.empty()) card.cleanLine = SymbolLine{"checkmark.circle.fill", "System clean"};
    return card;
}

AssociationsCard associationsCard(const LaunchServicesManager& launchServices) {
    AssociationsCard card;
    // A rebuild never made counts as needed, so such a card warns.
    const CardStatus status = launchServices.isRebuildNeeded()           ? CardStatus::warning
                              : !launchServices.lastRebuildDate.get()   ? CardStatus::inactive
                                                                        : CardStatus::active;
    card.header = {"Application Associations", "app.badge.checkmark", status};
    card.statusMessage = launchServices.statusMessage();
    const bool rebuilding = launchServices.isRebuilding.get();
    card.fix = {rebuilding ? "Processing" : "Fix", rebuilding};
    return card;
}

StartupCard startupCard(bool isStartupEnabled) {
    StartupCard card;
    card.header = {"Auto Startup", "power.circle.fill", activeWhen(isStartupEnabled)};
    card.toggle.label = isStartupEnabled ? "Disable" : "Enable";
    return card;
}

}  // namespace velmora
