#include "ui/model/DiskCards.h"

#include <cstdio>

#include "history/record/DiskIdentity.h"

namespace velmora {

std::string diskSizeText(std::int64_t bytes) {
    const double gigabytes = static_cast<double>(bytes) / 1e9;
    char text[64];
    if (gigabytes >= 1) {
        std::snprintf(text, sizeof text, "%.0f GB", gigabytes);
    } else {
        std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / 1e6);
    }
    return text;
}

DiskListView diskListView(const std::vector<DiskInfo>& disks, const std::optional<std::string>& selectedId,
                          const StringTable& strings, const std::map<std::string, DiskHistoryView>& histories,
                          const std::string& exportStatus) {
    DiskListView view;
    view.isEmpty = disks.empty();
    for (const auto& disk : disks) {
        DiskCardItem card;
        card.id = disk.id;
        card.name = disk.name;
        card.caption = strings.localized("connection", "Connection") + ": " + disk.path;
        card.sizeText = diskSizeText(disk.size);
        card.isSelected = selectedId && *selectedId == disk.id;
        card.isConnected = disk.isConnected;
        card.selectionSymbol = card.isSelected ? "checkmark.circle.fill" : "circle";
        if (disk.isExternal) card.badges.push_back({strings.localized("external", "External"), "blue"});
        if (disk.isAppleInternal) card.badges.push_back({strings.localized("internal", "Internal"), "grey"});
        if (disk.isMarkedAsInternal) card.badges.push_back({strings.localized("internal", "Internal"), "green"});
        if (const auto history = histories.find(diskIdentity(disk.name, disk.size)); history != histories.end())
            card.history = history->second;
        if (card.isSelected) card.historyExportStatus = exportStatus;
        view.cards.push_back(std::move(card));
    }
    return view;
}

}  // namespace velmora
