#pragma once
// History entries about one listed disk, under its stable identity.
#include <string>

#include "disks/DiskInfo.h"
#include "history/record/HistoryEvent.h"

namespace velmora {

HistoryEvent diskHistoryEvent(const DiskInfo& disk, HistoryKind kind, std::string detail, Date time);

// How a disk that stopped being listed left: with a volume of it still
// mounted at its last sighting it was pulled or dropped off the bus; with
// none, it was ejected first. (A scan every five seconds can miss an eject
// that unmounted and detached in between; that one shows as vanished.)
HistoryKind departureKind(const DiskInfo& lastSighting);

}  // namespace velmora
