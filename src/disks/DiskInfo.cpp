#include "disks/DiskInfo.h"

#include <utility>

namespace velmora {

namespace {
bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
}  // namespace

DiskInfo::DiskInfo(std::string id_, std::string name_, std::string path_, std::int64_t size_, bool isExternal_,
                   bool isRemovable_, std::optional<std::string> mountPoint_, std::optional<std::string> fileSystem_,
                   bool isMarkedAsInternal_, Date seenAt)
    : id(std::move(id_)),
      name(std::move(name_)),
      path(std::move(path_)),
      size(size_),
      isExternal(isExternal_),
      isRemovable(isRemovable_),
      mountPoint(std::move(mountPoint_)),
      fileSystem(std::move(fileSystem_)),
      isConnected(true),
      lastSeen(seenAt),
      isMarkedAsInternal(isMarkedAsInternal_),
      isAppleInternal(computeIsAppleInternal(name, path, isExternal, isRemovable, mountPoint)) {}

bool DiskInfo::computeIsAppleInternal(const std::string& name, const std::string& path, bool isExternal,
                                      bool isRemovable, const std::optional<std::string>& mountPoint) {
    if (isExternal || isRemovable) return false;
    if (contains(name, "APPLE SSD") || contains(name, "Apple SSD")) return true;
    // Plain substring tests: /dev/disk12 counts as /dev/disk1 on purpose.
    if (contains(path, "/dev/disk0") || contains(path, "/dev/disk1")) return true;
    if (!mountPoint) return false;
    if (*mountPoint == "/" || contains(*mountPoint, "/System/")) return true;
    return contains(*mountPoint, "/private/");
}

}  // namespace velmora

std::size_t std::hash<velmora::DiskInfo>::operator()(const velmora::DiskInfo& disk) const noexcept {
    std::size_t seed = 0;
    auto mix = [&seed](std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2); };
    std::hash<std::string> text;
    mix(text(disk.id));
    mix(text(disk.name));
    mix(text(disk.path));
    mix(std::hash<std::int64_t>{}(disk.size));
    mix(disk.mountPoint ? text(*disk.mountPoint) + 1 : 0);
    mix(disk.fileSystem ? text(*disk.fileSystem) + 1 : 0);
    mix(std::hash<velmora::Date::rep>{}(disk.lastSeen.time_since_epoch().count()));
    mix((disk.isExternal ? 1u : 0u) | (disk.isRemovable ? 2u : 0u) | (disk.isConnected ? 4u : 0u) |
        (disk.isMarkedAsInternal ? 8u : 0u) | (disk.isAppleInternal ? 16u : 0u));
    return seed;
}
