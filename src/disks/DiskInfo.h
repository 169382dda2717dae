#pragma once
// One whole disk as diskutil lists it. The monitor and everything that
// receives disks from it identify a disk by `id` alone; equality covers every
// field, `lastSeen` included, so two sightings of one disk are unequal.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Date.h"

namespace velmora {

struct DiskInfo {
    std::string id;
    std::string name;
    std::string path;
    std::int64_t size = 0;
    bool isExternal = false;
    bool isRemovable = false;
    std::optional<std::string> mountPoint;
    std::optional<std::string> fileSystem;
    // diskutil gives a whole disk with partitions an empty mount point rather
    // than none; a remount of "" is no remount.
    bool hasMountPoint() const { return mountPoint && !mountPoint->empty(); }
    bool isConnected = true;
    Date lastSeen;
    bool isMarkedAsInternal = false;
    bool isAppleInternal = false;
    // The mount points of the disk's own volumes (its partitions and the APFS
    // volumes they hold), from `diskutil list -plist`; a partitioned whole
    // disk has none of its own.
    std::vector<std::string> volumeMountPoints;
    // "USB", "PCI-Express", "Apple Fabric", … as diskutil names the bus.
    std::optional<std::string> busProtocol;

    // `seenAt` is the moment of creation; it comes from the caller's clock so
    // that records built under virtual time repeat exactly.
    DiskInfo(std::string id, std::string name, std::string path, std::int64_t size, bool isExternal,
             bool isRemovable, std::optional<std::string> mountPoint, std::optional<std::string> fileSystem,
             bool isMarkedAsInternal, Date seenAt);

    bool operator==(const DiskInfo& other) const = default;

    // Whether a disk with these properties is the Mac's own built-in storage.
    static bool computeIsAppleInternal(const std::string& name, const std::string& path, bool isExternal,
                                       bool isRemovable, const std::optional<std::string>& mountPoint);
};

}  // namespace velmora

template <>
struct std::hash<velmora::DiskInfo> {
    std::size_t operator()(const velmora::DiskInfo& disk) const noexcept;
};
