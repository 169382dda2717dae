#pragma once
// The left column's disk list as a view draws it: one entry per connected
// disk with its texts and badges, or the empty state.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disks/DiskInfo.h"
#include "foundation/strings/StringTable.h"
#include "ui/model/DiskHistoryView.h"

namespace velmora {

struct DiskBadge {
    std::string text;
    std::string color;  // "blue", "grey", "green"
    bool operator==(const DiskBadge&) const = default;
};

struct DiskCardItem {
    std::string id;
    std::string name;
    std::string caption;   // "Connection: /dev/disk4"
    std::string sizeText;  // "64 GB", "1000 MB"
    bool isSelected = false;
    bool isConnected = true;
    std::string selectionSymbol;  // "checkmark.circle.fill" or "circle"
    std::vector<DiskBadge> badges;
    // The disk's last 7 days; absent for a disk with no history (an internal
    // one, or where none is kept).
    std::optional<DiskHistoryView> history;
    // The selected card's: how its last export went, empty before one.
    std::string historyExportStatus;
};

struct DiskListView {
    std::vector<DiskCardItem> cards;  // in list order
    bool isEmpty = true;
    std::string emptySymbol = "externaldrive.badge.questionmark";
    std::string emptyTitle = "No disks found";
    std::string emptyText = "Connect a USB disk to get started";
};

// Decimal units: gigabytes when there is at least one, else megabytes; the
// number is rounded to a whole one.
std::string diskSizeText(std::int64_t bytes);

// `histories` by disk identity.
DiskListView diskListView(const std::vector<DiskInfo>& disks, const std::optional<std::string>& selectedId,
                          const StringTable& strings, const std::map<std::string, DiskHistoryView>& histories = {},
                          const std::string& exportStatus = {});

}  // namespace velmora
