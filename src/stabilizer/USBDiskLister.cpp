#include "stabilizer/USBDiskLister.h"

#include <utility>

#include "foundation/plist/PlistValue.h"
#include "foundation/strings/AsciiCase.h"
#include "platform/DiskutilQuery.h"

namespace velmora {

namespace {

bool containsDiskImage(const std::string& text) {
    return asciiLowercased(text).find("disk image") != std::string::npos;
}

}  // namespace

USBDiskLister::USBDiskLister(std::shared_ptr<ProcessLauncher> processes, std::shared_ptr<Diagnostics> diagnostics)
    : processes_(std::move(processes)), diagnostics_(std::move(diagnostics)) {}

std::vector<USBDiskInfo> USBDiskLister::getCurrentUSBDisks() const {
    // Unlike the disk monitor's discovery, output that is not UTF-8 text is refused.
    DiskutilAnswer listing = queryDiskutil(*processes_, {"list", "-plist"}, DiskutilOutputRule::utf8TextOnly);
    if (!listing.value) {
        diagnostics_->line("❌ USB disk listesi alınamadı: " + listing.failure);
        return {};
    }
    auto wholeDisks = listing.value->stringList("WholeDisks");
    if (!wholeDisks) return {};
    std::vector<USBDiskInfo> disks;
    for (const auto& id : *wholeDisks) {
        if (auto disk = getUSBDiskInfo(id)) disks.push_back(std::move(*disk));
    }
    return disks;
}

std::optional<USBDiskInfo> USBDiskLister::getUSBDiskInfo(const std::string& id) const {
    DiskutilAnswer description = queryDiskInfo(*processes_, id, DiskutilOutputRule::utf8TextOnly);
    if (!description.value) {
        diagnostics_->line("❌ USB disk bilgisi alınamadı: " + description.failure);
        return std::nullopt;
    }
    const PlistValue& info = *description.value;
    if (!info.asDictionary()) return std::nullopt;
    // Only a disk that says outright it is not internal counts as external.
    if (info.boolean("Internal") != std::optional<bool>(false)) return std::nullopt;

    USBDiskInfo disk;
    disk.id = id;
    disk.name = info.string("MediaName").value_or(id);
    if (containsDiskImage(disk.name)) return std::nullopt;
    for (const char* key : {"Protocol", "BusProtocol"}) {
        auto protocol = info.string(key);
        if (protocol && containsDiskImage(*protocol)) return std::nullopt;
    }
    // A whole disk with partitions answers an empty mount point: none to remount.
    if (auto mountPoint = info.string("MountPoint"); mountPoint && !mountPoint->empty()) disk.mountPoint = mountPoint;
    disk.size = info.integer("TotalSize").value_or(0);
    disk.path = "/dev/" + id;
    return disk;
}

}  // namespace velmora
