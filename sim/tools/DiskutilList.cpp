#include "sim/tools/DiskutilList.h"

#include <cstdio>

#include "sim/tools/DiskLookup.h"
#include "sim/tools/DiskutilProperties.h"
#include "sim/tools/PlistWriter.h"
#include "sim/tools/TextFormat.h"

namespace velmora::sim {

namespace {

const char* const kApfsContainerContent = "EF57347C-0000-11AA-AA11-00306543ECAC";

PlistNode partitionEntry(const Disk& disk, const Volume& volume) {
    PlistNode entry = PlistNode::dictionary();
    entry.set("Content", volume.content);
    entry.set("DeviceIdentifier", volume.identifier);
    if (DiskutilProperties::hasPartitionUUID(disk)) entry.set("DiskUUID", DiskutilProperties::partitionUUID(volume));
    if (volume.mountPoint) entry.set("MountPoint", *volume.mountPoint);
    entry.set("Size", volume.size);
    if (!volume.volumeName.empty()) entry.set("VolumeName", volume.volumeName);
    if (DiskutilProperties::hasFileSystem(volume)) entry.set("VolumeUUID", DiskutilProperties::volumeUUID(volume));
    return entry;
}

PlistNode apfsVolumeEntry(const Disk& disk, const Volume& volume, bool isSnapshot) {
    PlistNode entry = PlistNode::dictionary();
    entry.set("DeviceIdentifier", volume.identifier);
    entry.set("DiskUUID", DiskutilProperties::volumeUUID(volume));
    if (volume.mountPoint) entry.set("MountPoint", *volume.mountPoint);
    if (!isSnapshot) {
        PlistNode snapshots = PlistNode::array();
        const Volume* snapshot = DiskLookup::snapshotOf(disk, volume);
        if (snapshot && snapshot->mountPoint) {
            PlistNode s = PlistNode::dictionary();
            s.set("Sealed", "Yes");
            s.set("SnapshotBSD", snapshot->identifier);
            s.set("SnapshotMountPoint", *snapshot->mountPoint);
            s.set("SnapshotName", DiskutilProperties::snapshotName(*snapshot));
            s.set("SnapshotUUID", DiskutilProperties::volumeUUID(*snapshot));
            snapshots.append(std::move(s));
        }
        entry.set("MountedSnapshots", std::move(snapshots));
    }
    entry.set("OSInternal", false);
    entry.set("Size", volume.size);
    entry.set("VolumeName", volume.volumeName);
    entry.set("VolumeUUID", DiskutilProperties::volumeUUID(volume));
    return entry;
}

PlistNode wholeDiskEntry(const DiskLookup& lookup, const Disk& disk) {
    PlistNode entry = PlistNode::dictionary();
    entry.set("DeviceIdentifier", disk.identifier);
    entry.set("OSInternal", false);
    entry.set("Size", disk.size);
    if (DiskLookup::carriesOwnFileSystem(disk)) {
        const Volume& volume = disk.volumes.front();
        entry.set("Content", volume.content);
        if (volume.mountPoint) entry.set("MountPoint", *volume.mountPoint);
        if (!volume.volumeName.empty()) entry.set("VolumeName", volume.volumeName);
        if (DiskutilProperties::hasFileSystem(volume)) entry.set("VolumeUUID", DiskutilProperties::volumeUUID(volume));
        return entry;
    }
    PlistNode partitions = PlistNode::array();
    if (disk.synthesized) {
        entry.set("Content", kApfsContainerContent);
        PlistNode stores = PlistNode::array();
        std::string store = lookup.physicalStoreOf(disk);
        if (!store.empty()) stores.append(PlistNode::dictionary().set("DeviceIdentifier", store));
        entry.set("APFSPhysicalStores", std::move(stores));
        PlistNode volumes = PlistNode::array();
        for (const Volume* volume : DiskLookup::listingOrder(disk)) {
            bool isSnapshot = false;
            for (const auto& other : disk.volumes) isSnapshot = isSnapshot || DiskLookup::isSnapshotOf(*volume, other);
            volumes.append(apfsVolumeEntry(disk, *volume, isSnapshot));
        }
        entry.set("APFSVolumes", std::move(volumes));
    } else {
        entry.set("Content", disk.content);
        for (const auto& volume : disk.volumes) partitions.append(partitionEntry(disk, volume));
    }
    entry.set("Partitions", std::move(partitions));
    return entry;
}

// The NAME column holds 23 characters; longer names end in "...".
std::string listRow(const std::string& index, const std::string& type, const std::string& fullName, char marker,
                    const std::string& size, const std::string& identifier) {
    std::string name = text::displayWidth(fullName) > 23 ? text::firstCharacters(fullName, 20) + "..." : fullName;
    return text::padLeft(index, 4) + ":" + text::padLeft(type, 27) + " " + text::padRight(name, 23) +
           std::string(1, marker) + text::padRight(size, 10) + " " + identifier + "\n";
}

std::string diskHeading(const Disk& disk) {
    std::string kind;
    if (disk.protocol == "Disk Image" || disk.busProtocol == "Disk Image") {
        kind = "disk image";
    } else if (disk.synthesized) {
        kind = "synthesized";
    } else {
        kind = std::string(disk.internal ? "internal" : "external") + ", " +
               (disk.virtualOrPhysical == "Virtual" ? "virtual" : "physical");
    }
    return "/dev/" + disk.identifier + " (" + kind + "):\n";
}

}  // namespace

std::vector<const Disk*> DiskutilList::select(const MachineState& state, const std::string& filter,
                                              const Disk* onlyDisk) {
    std::vector<const Disk*> chosen;
    for (const auto& disk : state.disks) {
        if (onlyDisk && &disk != onlyDisk) continue;
        bool isVirtual = disk.synthesized || disk.virtualOrPhysical == "Virtual";
        if (filter == "internal" && !disk.internal) continue;
        if (filter == "external" && disk.internal) continue;
        if (filter == "physical" && isVirtual) continue;
        if (filter == "virtual" && !isVirtual) continue;
        chosen.push_back(&disk);
    }
    return chosen;
}

std::string DiskutilList::plist(const MachineState& state, const std::vector<const Disk*>& disks) {
    DiskLookup lookup(state);
    PlistNode allDisks = PlistNode::array();
    PlistNode entries = PlistNode::array();
    PlistNode volumeNames = PlistNode::array();
    PlistNode wholeDisks = PlistNode::array();
    for (const Disk* disk : disks) {
        allDisks.append(disk->identifier);
        wholeDisks.append(disk->identifier);
        for (const Volume* volume : DiskLookup::listingOrder(*disk)) {
            if (volume->identifier != disk->identifier) allDisks.append(volume->identifier);
            if (volume->mountPoint && !volume->volumeName.empty()) volumeNames.append(volume->volumeName);
        }
        entries.append(wholeDiskEntry(lookup, *disk));
    }
    PlistNode root = PlistNode::dictionary();
    root.set("AllDisks", std::move(allDisks));
    root.set("AllDisksAndPartitions", std::move(entries));
    root.set("VolumesFromDisks", std::move(volumeNames));
    root.set("WholeDisks", std::move(wholeDisks));
    return root.document();
}

std::string DiskutilList::text(const MachineState& state, const std::vector<const Disk*>& disks) {
    DiskLookup lookup(state);
    std::string out;
    for (const Disk* disk : disks) {
        out += diskHeading(*disk);
        out += "   #:                       TYPE NAME                    SIZE       IDENTIFIER\n";
        char marker = disk->synthesized || disk->virtualOrPhysical == "Virtual" ? '+' : '*';
        if (DiskLookup::carriesOwnFileSystem(*disk)) {
            const Volume& volume = disk->volumes.front();
            out += listRow("0", volume.content.empty() ? volume.fileSystemType : volume.content, volume.volumeName,
                           marker, text::decimalSize(disk->size), disk->identifier);
        } else if (disk->synthesized) {
            out += listRow("0", "APFS Container Scheme", "-", marker, text::decimalSize(disk->size), disk->identifier);
            std::string store = lookup.physicalStoreOf(*disk);
            if (!store.empty()) out += std::string(33, ' ') + "Physical Store " + store + "\n";
            int index = 1;
            for (const Volume* volume : DiskLookup::listingOrder(*disk)) {
                bool isSnapshot = false;
                for (const auto& other : disk->volumes) isSnapshot = isSnapshot || DiskLookup::isSnapshotOf(*volume, other);
                out += listRow(std::to_string(index++), isSnapshot ? "APFS Snapshot" : "APFS Volume",
                               isSnapshot ? DiskutilProperties::snapshotName(*volume) : volume->volumeName, ' ',
                               text::decimalSize(volume->size), volume->identifier);
            }
        } else {
            out += listRow("0", disk->content, "", marker, text::decimalSize(disk->size), disk->identifier);
            int index = 1;
            for (const auto& volume : disk->volumes) {
                std::string name = volume.volumeName;
                if (const Disk* container = lookup.containerStoredIn(volume)) name = "Container " + container->identifier;
                out += listRow(std::to_string(index++), volume.content, name, ' ', text::decimalSize(volume.size),
                               volume.identifier);
            }
        }
        out += "\n";
    }
    return out;
}

}  // namespace velmora::sim
