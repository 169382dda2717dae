#pragma once
// Values diskutil derives from a disk or volume that the machine state does
// not store (UUIDs, user-visible file-system names, registry names), made up
// once here so the list, info and text forms agree.
#include <string>

#include "sim/state/MachineState.h"

namespace velmora::sim {

class DiskutilProperties {
public:
    static bool hasPartitionUUID(const Disk& disk) { return disk.content == "GUID_partition_scheme"; }
    static bool hasFileSystem(const Volume& volume) { return !volume.fileSystemType.empty(); }
    static std::string partitionUUID(const Volume& volume);
    static std::string volumeUUID(const Volume& volume);
    static std::string diskUUID(const Disk& disk);
    static std::string snapshotName(const Volume& snapshot);
    static std::string userVisibleFileSystem(const Volume& volume);
    static std::string registryEntryName(const Disk& disk);
    static std::string deviceTreePath(const Disk& disk);
    static std::string smartStatus(const Disk& disk);
    static int blockSize(const Disk& disk);
    static bool isDiskImage(const Disk& disk);
    // Made-up used space of a volume, a stable share of its size.
    static std::int64_t usedSpace(const Volume& volume);
};

}  // namespace velmora::sim
