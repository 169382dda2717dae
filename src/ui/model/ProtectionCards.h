#pragma once
// The right column's cards as plain values: what each card shows, worked out
// from the managers' published state each time it is asked for, so a view
// only draws it. Symbols are system-symbol names.
#include <optional>
#include <string>
#include <vector>

#include "apps/AppInfo.h"
#include "apps/LaunchServicesManager.h"
#include "disks/DiskInfo.h"
#include "foundation/strings/StringTable.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "ui/model/CardStatus.h"

namespace velmora {

struct SymbolLine {
    std::string symbol;
    std::string text;
    bool operator==(const SymbolLine&) const = default;
};

struct CardButton {
    std::string label;
    bool isDisabled = false;
    bool showsProgress = false;  // a small progress indicator instead of the label
    bool operator==(const CardButton&) const = default;
};

// An icon and a text on the left, a status text on the right; both green
// while active, grey otherwise.
struct StatusRowItem {
    std::string icon;
    std::string text;
    std::string status;
    bool isActive = false;
};

// A named thing with a caption and a badge on the right: a connected disk
// (tone active) or a heavy application (tone warning).
struct BadgeRowItem {
    std::string id;
    std::string symbol;
    std::string name;
    std::string caption;
    std::string badge;
    CardStatus tone = CardStatus::active;
};

struct CardHeader {
    std::string title;
    std::string icon;
    CardStatus status = CardStatus::inactive;
};

struct AuthorizationCard {
    bool isShown = false;
    std::string symbol = "lock.shield";
    std::string title = "Admin Authorization Required";
    std::string text = "Some features require administrator privileges";
    std::string authorizationStatus;
    CardButton authorize{"Authorize"};
};

struct StabilizerCard {
    CardHeader header;
    SymbolLine headline;
    std::string statusLabel = "Status:";
    std::string statusValue;
    std::vector<SymbolLine> features;
};

struct ProtectedDiskLine {
    std::string symbol = "externaldrive.fill";
    std::string name;
    std::optional<std::string> powerSymbol;  // "bolt.fill" while power management runs
};

struct ControllerCard {
    CardHeader header;
    SymbolLine level;        // the stability level's raw value
    std::string lastAction;
    SymbolLine controllers;  // "Controllers: 2 detected"
    // Present only while the stabilizer's power management runs.
    std::optional<SymbolLine> powerManagement;
    std::string powerManagementLabel = "Power Management:";
    std::string protectedDisksLabel = "Protected Disks:";
    std::string protectedDisksCount;
    std::vector<ProtectedDiskLine> protectedDisks;  // the first three
    std::optional<std::string> moreDisks;           // "... and 2 more"
};

struct PowerCard {
    CardHeader header;
    std::vector<StatusRowItem> rows;
};

struct AggressivePowerCard {
    CardHeader header;
    std::string text = "Maximum protection mode";
    CardButton toggle;
};

struct ConnectionCard {
    CardHeader header;
    std::vector<BadgeRowItem> disks;
    std::optional<SymbolLine> emptyLine;  // when no disk qualifies
};

struct AppTrackingCard {
    CardHeader header;
    std::vector<BadgeRowItem> apps;
    std::optional<SymbolLine> cleanLine;  // when no heavy application runs
};

struct AssociationsCard {
    CardHeader header;
    std::string heading = "Application Matching";
    std::string statusMessage;
    CardButton fix;
};

struct StartupCard {
    CardHeader header;
    SymbolLine line{"play.circle", "Start at system boot"};
    CardButton toggle;
};

// Every card of the right column, in display order.
struct ProtectionCards {
    AuthorizationCard authorization;
    StabilizerCard stabilizer;
    ControllerCard controllers;
    PowerCard power;
    AggressivePowerCard aggressivePower;
    ConnectionCard connection;
    AppTrackingCard applications;
    AssociationsCard associations;
    StartupCard startup;
};

AuthorizationCard authorizationCard(bool isAuthorized, const std::string& authorizationStatus);
StabilizerCard stabilizerCard(bool optimizerPowerManagementActive);
ControllerCard controllerCard(const AutomaticUSBStabilizer& stabilizer);
PowerCard powerCard(bool optimizerPowerManagementActive);
AggressivePowerCard aggressivePowerCard(bool isAggressivePowerActive, bool isProcessing);
// The external disks a user would call USB disks: disk images and disks known
// only by their device node are left out.
ConnectionCard connectionCard(const std::vector<DiskInfo>& disks, bool usbConnectionStable, const StringTable& strings);
AppTrackingCard appTrackingCard(const std::vector<AppInfo>& highResourceApps, const StringTable& strings);
AssociationsCard associationsCard(const LaunchServicesManager& launchServices);
StartupCard startupCard(bool isStartupEnabled);

}  // namespace velmora
