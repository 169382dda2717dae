#include "sim/tools/DiskutilProperties.h"

#include "sim/tools/TextFormat.h"

namespace velmora::sim {

std::string DiskutilProperties::partitionUUID(const Volume& volume) { return text::uuidFor("partition:" + volume.identifier); }

std::string DiskutilProperties::volumeUUID(const Volume& volume) {
    return text::uuidFor("volume:" + volume.identifier + ":" + volume.volumeName);
}

std::string DiskutilProperties::diskUUID(const Disk& disk) { return text::uuidFor("disk:" + disk.identifier); }

std::string DiskutilProperties::snapshotName(const Volume& snapshot) {
    return "com.apple.os.update-" + text::hex(text::stableHash(snapshot.identifier), 16) +
           text::hex(text::stableHash(snapshot.identifier + "/"), 16);
}

std::string DiskutilProperties::userVisibleFileSystem(const Volume& volume) {
    const std::string& type = volume.fileSystemType;
    if (type == "apfs") return "APFS";
    if (type == "exfat") return "ExFAT";
    if (type == "msdos") {
        if (volume.fileSystemName.find("FAT16") != std::string::npos) return "MS-DOS (FAT16)";
        if (volume.fileSystemName.find("FAT12") != std::string::npos) return "MS-DOS (FAT12)";
        return "MS-DOS (FAT32)";
    }
    if (type == "hfs") return volume.journaled ? "Mac OS Extended (Journaled)" : "Mac OS Extended";
    return volume.fileSystemName;
}

std::string DiskutilProperties::registryEntryName(const Disk& disk) {
    if (disk.synthesized) return "AppleAPFSMedia";
    return disk.mediaName + " Media";
}

std::string DiskutilProperties::deviceTreePath(const Disk& disk) {
    if (disk.protocol == "USB" || disk.busProtocol == "USB") {
        return "IODeviceTree:/arm-io/usb-drd1@2280000/usb-drd1-port-ss@01100000";
    }
    return "IODeviceTree:/arm-io/ans@8E400000/iop-ans-nub/AppleANS3NVMeController";
}

std::string DiskutilProperties::smartStatus(const Disk& disk) {
    return disk.internal && !disk.synthesized && disk.protocol != "Disk Image" ? "Verified" : "Not Supported";
}

int DiskutilProperties::blockSize(const Disk& disk) { return disk.internal ? 4096 : 512; }

bool DiskutilProperties::isDiskImage(const Disk& disk) {
    return disk.protocol == "Disk Image" || disk.busProtocol == "Disk Image";
}

std::int64_t DiskutilProperties::usedSpace(const Volume& volume) {
    std::int64_t percent = static_cast<std::int64_t>(text::stableHash(volume.identifier) % 55) + 5;
    return volume.size / 100 * percent;
}

}  // namespace velmora::sim
