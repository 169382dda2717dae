#include "disks/DiskDiscovery.h"

#include <utility>

#include "foundation/strings/AsciiCase.h"
#include "platform/DiskutilQuery.h"

namespace velmora {

namespace {

bool mentionsDiskImage(const std::optional<std::string>& text) {
    return text && asciiLowercased(*text).find("disk image") != std::string::npos;
}

void appendMountPoints(const PlistValue* entries, std::vector<std::string>& out) {
    const PlistArray* list = entries ? entries->asArray() : nullptr;
    if (!list) return;
    for (const auto& entry : *list) {
        if (auto mountPoint = entry.string("MountPoint"); mountPoint && !mountPoint->empty()) out.push_back(*mountPoint);
    }
}

bool isSliceOf(const std::string& device, const std::string& wholeDisk) {
    return device.size() > wholeDisk.size() + 1 && device.compare(0, wholeDisk.size(), wholeDisk) == 0 &&
           device[wholeDisk.size()] == 's';
}

// The listing's volumes of `identifier`: its partitions, and the APFS volumes
// of the containers whose physical store is one of those partitions (or the
// disk itself, for a container disk).
std::vector<std::string> mountedVolumesOf(const PlistValue& listing, const std::string& identifier) {
    std::vector<std::string> mountPoints;
    const PlistValue* all = listing.find("AllDisksAndPartitions");
    const PlistArray* entries = all ? all->asArray() : nullptr;
    if (!entries) return mountPoints;
    for (const auto& entry : *entries) {
        const auto device = entry.string("DeviceIdentifier");
        if (device == identifier) {
            appendMountPoints(entry.find("Partitions"), mountPoints);
            appendMountPoints(entry.find("APFSVolumes"), mountPoints);
            continue;
        }
        const PlistValue* stores = entry.find("APFSPhysicalStores");
        const PlistArray* storeList = stores ? stores->asArray() : nullptr;
        if (!storeList) continue;
        for (const auto& store : *storeList) {
            if (isSliceOf(store.string("DeviceIdentifier").value_or(""), identifier)) {
                appendMountPoints(entry.find("APFSVolumes"), mountPoints);
                break;
            }
        }
    }
    return mountPoints;
}

}  // namespace

DiskDiscovery::DiskDiscovery(Platform platform) : platform_(std::move(platform)) {}

std::vector<DiskInfo> DiskDiscovery::getCurrentDisks() const {
    const DiskutilAnswer listing = queryDiskutil(*platform_.processes, {"list", "-plist"}, DiskutilOutputRule::anyBytes);
    if (!listing.value) {
        platform_.diagnostics->line("Disk listesi alınamadı: " + listing.failure);
        return {};
    }
    const auto wholeDisks = listing.value->stringList("WholeDisks");
    if (!wholeDisks) return {};

    std::vector<DiskInfo> disks;
    for (const auto& identifier : *wholeDisks) {
        auto disk = getDiskInfo(identifier);
        if (!disk) continue;
        disk->volumeMountPoints = mountedVolumesOf(*listing.value, identifier);
        disks.push_back(std::move(*disk));
    }
    return disks;
}

std::optional<DiskInfo> DiskDiscovery::getDiskInfo(const std::string& identifier) const {
    const DiskutilAnswer description = queryDiskInfo(*platform_.processes, identifier, DiskutilOutputRule::anyBytes);
    if (!description.value) {
        platform_.diagnostics->line("Disk bilgisi alınamadı: " + description.failure);
        return std::nullopt;
    }
    return diskFromInfo(identifier, *description.value, platform_.scheduler->now());
}

std::string DiskDiscovery::getDiskStatus(const DiskInfo& disk) const {
    const RunResult run = platform_.processes->run(diskutilRequest({"info", disk.path}, OutputWiring::pipe));
    const StringTable& strings = *platform_.strings;
    if (!run.started()) return strings.localized("disk_list_error", "Error");
    const std::string text = decodeUTF8(run.output).value_or("");
    // Real diskutil pads the value column, so these single-space patterns
    // only match output that happens to be laid out that way.
    if (text.find("Mounted: Yes") != std::string::npos) return strings.localized("disk_connected", "Connected");
    if (text.find("Mounted: No") != std::string::npos) return strings.localized("disk_disconnected", "Disconnected");
    return strings.localized("status_normal", "Unknown");
}

std::optional<DiskInfo> DiskDiscovery::diskFromInfo(const std::string& identifier, const PlistValue& info,
                                                    Date seenAt) {
    if (!info.asDictionary()) return std::nullopt;
    const std::string name = displayName(identifier, info);

    if (mentionsDiskImage(name) || mentionsDiskImage(info.string("MediaName")) ||
        mentionsDiskImage(info.string("Protocol")) || mentionsDiskImage(info.string("BusProtocol"))) {
        return std::nullopt;
    }
    if (name.rfind("/dev/disk", 0) == 0) return std::nullopt;

    // A disk that does not say whether it is internal counts as not external.
    const auto internal = info.boolean("Internal");
    const bool isExternal = internal.has_value() && !*internal;
    DiskInfo disk(identifier, name, "/dev/" + identifier, info.integer("TotalSize").value_or(0), isExternal,
                  info.boolean("Removable").value_or(false), info.string("MountPoint"), info.string("FilesystemName"),
                  false, seenAt);
    disk.busProtocol = info.string("BusProtocol");
    if (!disk.busProtocol) disk.busProtocol = info.string("Protocol");
    return disk;
}

std::string DiskDiscovery::displayName(const std::string& identifier, const PlistValue& info) {
    if (auto mountPoint = info.string("MountPoint"); mountPoint && !mountPoint->empty()) {
        const std::string component = lastPathComponent(*mountPoint);
        if (!component.empty() && component != "Volumes" && component != "/") return component;
    }
    if (auto volumeName = info.string("VolumeName"); volumeName && !volumeName->empty() &&
                                                       asciiLowercased(*volumeName) != "disk image") {
        return *volumeName;
    }
    if (auto mediaName = info.string("MediaName"); mediaName && !mediaName->empty() && *mediaName != "Disk Image") {
        return *mediaName;
    }
    if (auto deviceNode = info.string("DeviceNode"); deviceNode && !deviceNode->empty()) return *deviceNode;
    return "Unnamed Volume (" + identifier + ")";
}

std::string DiskDiscovery::lastPathComponent(const std::string& path) {
    const auto end = path.find_last_not_of('/');
    if (end == std::string::npos) return path.empty() ? std::string() : std::string("/");
    const auto start = path.find_last_of('/', end);
    return path.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

}  // namespace velmora
