#include "disks/DiskHistory.h"

#include "history/record/DiskIdentity.h"

namespace velmora {

HistoryEvent diskHistoryEvent(const DiskInfo& disk, HistoryKind kind, std::string detail, Date time) {
    HistoryEvent event;
    event.time = time;
    event.disk = diskIdentity(disk.name, disk.size);
    event.diskName = disk.name;
    event.kind = kind;
    event.detail = std::move(detail);
    return event;
}

HistoryKind departureKind(const DiskInfo& lastSighting) {
    const bool mounted = lastSighting.mountPoint || !lastSighting.volumeMountPoints.empty();
    return mounted ? HistoryKind::vanished : HistoryKind::ejected;
}

}  // namespace velmora
