#include "sim/tools/DiskutilInfo.h"

#include "sim/tools/DiskutilProperties.h"
#include "sim/tools/PlistWriter.h"
#include "sim/tools/TextFormat.h"

namespace velmora::sim {

namespace {

const char* const kApfsContainerContent = "EF57347C-0000-11AA-AA11-00306543ECAC";

std::string yesNo(bool value) { return value ? "Yes" : "No"; }

std::string sizeText(std::int64_t bytes) {
    return text::decimalSize(bytes) + " (" + std::to_string(bytes) + " Bytes) (exactly " + std::to_string(bytes / 512) +
           " 512-Byte-Units)";
}

// Keys every disk and volume of the disk share.
void setDiskKeys(PlistNode& d, const DiskLookup& lookup, const Disk& disk) {
    d.set("Bootable", disk.internal);
    d.set("BusProtocol", disk.busProtocol.empty() ? disk.protocol : disk.busProtocol);
    d.set("CanBeMadeBootable", false);
    d.set("CanBeMadeBootableRequiresDestroy", false);
    d.set("DeviceBlockSize", DiskutilProperties::blockSize(disk));
    if (!DiskutilProperties::isDiskImage(disk)) d.set("DeviceTreePath", DiskutilProperties::deviceTreePath(disk));
    d.set("Ejectable", disk.ejectable);
    d.set("EjectableMediaAutomaticUnderSoftwareControl", disk.removable);
    d.set("EjectableOnly", disk.removable);
    d.set("IOKitSize", disk.size);
    d.set("IORegistryEntryName", DiskutilProperties::registryEntryName(disk));
    d.set("Internal", disk.internal);
    d.set("LowLevelFormatSupported", false);
    d.set("MediaName", disk.mediaName);
    d.set("MediaType", "Generic");
    d.set("OS9DriversInstalled", false);
    d.set("OSInternalMedia", false);
    d.set("ParentWholeDisk", disk.identifier);
    d.set("RAIDMaster", false);
    d.set("RAIDSlice", false);
    d.set("Removable", disk.removable);
    d.set("RemovableMedia", disk.removable);
    d.set("RemovableMediaOrExternalDevice", disk.removable || !disk.internal);
    d.set("SMARTDeviceSpecificKeysMayVaryNotGuaranteed", PlistNode::dictionary());
    d.set("SMARTStatus", DiskutilProperties::smartStatus(disk));
    d.set("SupportsGlobalPermissionsDisable", false);
    d.set("SystemImage", false);
    d.set("VirtualOrPhysical", disk.virtualOrPhysical);
    d.set("Writable", true);
    d.set("WritableMedia", true);
    if (disk.internal) {
        d.set("AESHardware", disk.protocol == "Apple Fabric");
        d.set("SolidState", true);
    }
    if (disk.synthesized) {
        d.set("APFSContainerReference", disk.identifier);
        PlistNode stores = PlistNode::array();
        std::string store = lookup.physicalStoreOf(disk);
        if (!store.empty()) stores.append(PlistNode::dictionary().set("APFSPhysicalStore", store));
        d.set("APFSPhysicalStores", std::move(stores));
        d.set("Fusion", false);
    }
}

void setVolumeKeys(PlistNode& d, const Disk& disk, const Volume& volume) {
    bool mounted = volume.mountPoint.has_value();
    bool whole = volume.identifier == disk.identifier;
    d.set("Content", volume.content);
    d.set("DeviceIdentifier", volume.identifier);
    d.set("DeviceNode", "/dev/" + volume.identifier);
    if (!whole && (DiskutilProperties::hasPartitionUUID(disk) || disk.synthesized)) {
        d.set("DiskUUID", disk.synthesized ? DiskutilProperties::volumeUUID(volume) : DiskutilProperties::partitionUUID(volume));
    }
    std::int64_t freeSpace = volume.size - DiskutilProperties::usedSpace(volume);
    d.set("FreeSpace", mounted ? freeSpace : std::int64_t{0});
    d.set("GlobalPermissionsEnabled", volume.ownersEnabled);
    d.set("MountPoint", volume.mountPoint.value_or(""));
    d.set("PartitionMapPartition", !whole && !disk.synthesized);
    d.set("Size", volume.size);
    d.set("TotalSize", volume.size);
    d.set("VolumeName", volume.volumeName);
    d.set("VolumeSize", DiskutilProperties::hasFileSystem(volume) ? volume.size : std::int64_t{0});
    d.set("WholeDisk", whole);
    d.set("WritableVolume", mounted);
    if (DiskutilProperties::hasFileSystem(volume)) {
        d.set("FilesystemName", volume.fileSystemName);
        d.set("FilesystemType", volume.fileSystemType);
        d.set("FilesystemUserVisibleName", DiskutilProperties::userVisibleFileSystem(volume));
        d.set("VolumeAllocationBlockSize", volume.fileSystemType == "msdos" ? 8192 : 4096);
        d.set("VolumeUUID", DiskutilProperties::volumeUUID(volume));
    }
    if (disk.synthesized) {
        d.set("Encryption", false);
        d.set("FileVault", false);
        d.set("Locked", false);
    }
}

void setWholeDiskKeys(PlistNode& d, const Disk& disk) {
    d.set("Content", disk.synthesized ? std::string(kApfsContainerContent) : disk.content);
    d.set("DeviceIdentifier", disk.identifier);
    d.set("DeviceNode", "/dev/" + disk.identifier);
    if (disk.synthesized || DiskutilProperties::hasPartitionUUID(disk)) d.set("DiskUUID", DiskutilProperties::diskUUID(disk));
    d.set("FreeSpace", std::int64_t{0});
    d.set("GlobalPermissionsEnabled", false);
    d.set("MountPoint", "");
    d.set("PartitionMapPartition", false);
    d.set("Size", disk.size);
    d.set("TotalSize", disk.size);
    d.set("VolumeName", "");
    d.set("VolumeSize", std::int64_t{0});
    d.set("WholeDisk", true);
    d.set("WritableVolume", false);
}

std::string removableText(const Disk& disk) { return disk.removable ? "Removable" : "Fixed"; }

}  // namespace

std::string DiskutilInfo::line(const std::string& label, const std::string& value) {
    return "   " + text::padRight(label + ":", 27) + value + "\n";
}

std::string DiskutilInfo::plist(const MachineState& state, const DiskTarget& target) {
    DiskLookup lookup(state);
    PlistNode d = PlistNode::dictionary();
    setDiskKeys(d, lookup, *target.disk);
    if (target.volume) {
        setVolumeKeys(d, *target.disk, *target.volume);
    } else {
        setWholeDiskKeys(d, *target.disk);
    }
    return d.document();
}

std::string DiskutilInfo::text(const MachineState& state, const DiskTarget& target) {
    DiskLookup lookup(state);
    const Disk& disk = *target.disk;
    const Volume* volume = target.volume;
    bool whole = target.isWhole();
    std::string protocol = disk.protocol.empty() ? disk.busProtocol : disk.protocol;
    std::string out;
    out += line("Device Identifier", target.identifier());
    out += line("Device Node", "/dev/" + target.identifier());
    out += line("Whole", yesNo(whole));
    out += line("Part of Whole", disk.identifier);
    if (whole) out += line("Device / Media Name", disk.mediaName);
    out += "\n";
    if (volume) {
        bool mounted = volume->mountPoint.has_value();
        out += line("Volume Name", volume->volumeName);
        out += line("Mounted", yesNo(mounted));
        if (mounted) out += line("Mount Point", *volume->mountPoint);
        out += "\n";
        if (!whole) out += line("Partition Type", volume->content);
        if (DiskutilProperties::hasFileSystem(*volume)) {
            out += line("File System Personality", volume->fileSystemName);
            out += line("Type (Bundle)", volume->fileSystemType);
            out += line("Name (User Visible)", DiskutilProperties::userVisibleFileSystem(*volume));
            if (volume->fileSystemType == "hfs" && volume->journaled) {
                out += line("Journal", "Journal size 8192 KB at offset 0x1d1c000");
            }
            if (volume->fileSystemType == "apfs" || volume->fileSystemType == "hfs") {
                out += line("Owners", volume->ownersEnabled ? "Enabled" : "Disabled");
            }
        }
        out += "\n";
    } else {
        out += line("Volume Name", "Not applicable (no file system)");
        out += line("Mounted", "Not applicable (no file system)");
        out += line("File System", "None");
        out += "\n";
        out += line("Content (IOContent)", disk.synthesized ? std::string(kApfsContainerContent) : disk.content);
    }
    out += line("OS Can Be Installed", "No");
    out += line("Media Type", "Generic");
    out += line("Protocol", protocol);
    out += line("SMART Status", DiskutilProperties::smartStatus(disk));
    if (volume && DiskutilProperties::hasFileSystem(*volume)) out += line("Volume UUID", DiskutilProperties::volumeUUID(*volume));
    if (volume && !whole && DiskutilProperties::hasPartitionUUID(disk)) {
        out += line("Disk / Partition UUID", DiskutilProperties::partitionUUID(*volume));
    } else if (!volume && (disk.synthesized || DiskutilProperties::hasPartitionUUID(disk))) {
        out += line("Disk / Partition UUID", DiskutilProperties::diskUUID(disk));
    }
    out += "\n";
    std::int64_t size = volume ? volume->size : disk.size;
    out += line("Disk Size", sizeText(size));
    out += line("Device Block Size", std::to_string(DiskutilProperties::blockSize(disk)) + " Bytes");
    out += "\n";
    if (volume && volume->mountPoint) {
        std::int64_t used = DiskutilProperties::usedSpace(*volume);
        out += line("Volume Total Space", sizeText(volume->size));
        out += line("Volume Used Space", sizeText(used));
        out += line("Volume Free Space", sizeText(volume->size - used));
        out += line("Allocation Block Size", volume->fileSystemType == "msdos" ? "8192 Bytes" : "4096 Bytes");
        out += "\n";
    }
    out += line("Media OS Use Only", "No");
    out += line("Media Read-Only", "No");
    if (!volume) {
        out += line("Volume Read-Only", "Not applicable (no file system)");
    } else {
        out += line("Volume Read-Only", volume->mountPoint ? "No" : "Not applicable (not mounted)");
    }
    out += "\n";
    out += line("Device Location", disk.internal ? "Internal" : "External");
    out += line("Removable Media", removableText(disk));
    if (disk.removable) out += line("Media Removal", "Software-Activated");
    out += "\n";
    out += line("Solid State", disk.internal ? "Yes" : "Info not available");
    if (!volume) out += line("Virtual", yesNo(disk.synthesized || disk.virtualOrPhysical == "Virtual"));
    if (disk.synthesized && volume) {
        out += "\n";
        out += "   This disk is an APFS Volume.  APFS Information:\n";
        out += line("APFS Container", disk.identifier);
        std::string store = lookup.physicalStoreOf(disk);
        if (!store.empty()) out += line("APFS Physical Store", store);
        out += line("Fusion Drive", "No");
        out += line("FileVault", "No");
        out += line("Locked", "No");
    }
    out += "\n";
    return out;
}

std::string DiskutilInfo::errorPlist(const std::string& specifier) {
    PlistNode d = PlistNode::dictionary();
    d.set("Error", true);
    d.set("ErrorMessage", "Could not find disk: " + specifier);
    d.set("ExitCode", 1);
    return d.document();
}

}  // namespace velmora::sim
