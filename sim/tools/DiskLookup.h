#pragma once
// Finds what a disk argument names, the way diskutil and friends accept it:
// an identifier ("disk4", "disk4s1"), a device path ("/dev/disk4",
// "/dev/rdisk4s1"), a mount point, or a volume name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/state/MachineState.h"

namespace velmora::sim {

struct DiskTarget {
    const Disk* disk = nullptr;
    const Volume* volume = nullptr;  // null: the whole disk itself (no file system of its own)
    std::string identifier() const { return volume ? volume->identifier : disk->identifier; }
    bool isWhole() const { return volume == nullptr || volume->identifier == disk->identifier; }
};

class DiskLookup {
public:
    explicit DiskLookup(const MachineState& state) : state_(state) {}

    std::optional<DiskTarget> find(std::string_view specifier) const;
    // The mounted volume whose mount point is the longest prefix of `path`.
    std::optional<DiskTarget> volumeContaining(std::string_view path) const;
    // For a synthesized APFS container: the partition that stores it, or "".
    std::string physicalStoreOf(const Disk& container) const;
    // For an APFS partition: the synthesized container it stores, or null.
    const Disk* containerStoredIn(const Volume& partition) const;

    // APFS snapshots (disk3s1s1) are volumes named after the volume they
    // snapshot; listings put each right after its volume.
    static bool isSnapshotOf(const Volume& snapshot, const Volume& volume);
    static std::vector<const Volume*> listingOrder(const Disk& disk);
    static const Volume* snapshotOf(const Disk& disk, const Volume& volume);

    // A whole disk without a partition map carries its one file system itself.
    static bool carriesOwnFileSystem(const Disk& disk);
    static std::string stripDevicePrefix(std::string_view specifier);

private:
    const MachineState& state_;
};

// Mutable counterparts for tools that change the state.
Volume* findVolume(MachineState& state, std::string_view identifier);
Disk* findDisk(MachineState& state, std::string_view identifier);

}  // namespace velmora::sim
