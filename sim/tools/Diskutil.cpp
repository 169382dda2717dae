// diskutil: listing and describing disks, mounting, unmounting, ejecting, and
// the ownership and journaling changes, with the messages and exit statuses
// of the real tool for a standard user.
#include <set>

#include "sim/tools/DiskLookup.h"
#include "sim/tools/DiskutilInfo.h"
#include "sim/tools/DiskutilList.h"
#include "sim/tools/Tools.h"
#include "sim/tools/VolumeMounts.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "Disk Utility Tool\n"
    "Utility to manage local disks and volumes\n"
    "Most commands require an administrator or root user\n"
    "\n"
    "WARNING: Most destructive operations are not prompted\n"
    "\n"
    "Usage:  diskutil [quiet] <verb> <options>, where <verb> is as follows:\n"
    "\n"
    "     list                 (List the partitions of a disk)\n"
    "     info[rmation]        (Get information on a specific disk or partition)\n"
    "     listFilesystems      (List file systems available for formatting)\n"
    "     activity             (Continuous log of system-wide disk arbitration)\n"
    "\n"
    "     u[n]mount            (Unmount a single volume)\n"
    "     unmountDisk          (Unmount an entire disk (all volumes))\n"
    "     eject                (Eject a disk)\n"
    "     mount                (Mount a single volume)\n"
    "     mountDisk            (Mount an entire disk (all mountable volumes))\n"
    "\n"
    "     enableJournal        (Enable HFS+ journaling on a mounted HFS+ volume)\n"
    "     disableJournal       (Disable HFS+ journaling on a mounted HFS+ volume)\n"
    "     enableOwnership      (Exact on-disk User/Group IDs on a mounted volume)\n"
    "     disableOwnership     (Ignore on-disk User/Group IDs on a mounted volume)\n"
    "\n"
    "     rename[Volume]       (Rename a volume)\n"
    "\n"
    "     verifyVolume         (Verify the file system data structures of a volume)\n"
    "     repairVolume         (Repair the file system data structures of a volume)\n"
    "\n"
    "     verifyDisk           (Verify the components of a partition map of a disk)\n"
    "     repairDisk           (Repair the components of a partition map of a disk)\n"
    "\n"
    "     eraseDisk            (Erase an existing disk, removing all volumes)\n"
    "     eraseVolume          (Erase an existing volume)\n"
    "     reformat             (Erase an existing volume with same name and type)\n"
    "     partitionDisk        ((re)Partition a disk, removing all volumes)\n"
    "     resizeVolume         (Resize a volume, increasing or decreasing its size)\n"
    "\n"
    "     appleRAID <raidverb> (Perform additional verbs related to AppleRAID)\n"
    "     coreStorage <csverb> (Perform additional verbs related to CoreStorage)\n"
    "     apfs <apfsverb>      (Perform additional verbs related to APFS)\n"
    "\n"
    "diskutil <verb> with no options will provide help on that verb\n";

std::string nameForMessages(const Volume& volume) { return volume.volumeName.empty() ? "(null)" : volume.volumeName; }

bool isVisibleTo(const ToolContext&, const DiskTarget& target) { return !target.disk->vanishesOnInfo; }

int list(ToolContext& ctx, const ToolArguments& args) {
    bool plist = false;
    std::string filter;
    const Disk* onlyDisk = nullptr;
    static const std::set<std::string> filters = {"internal", "external", "physical", "virtual"};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-plist" && filter.empty() && onlyDisk == nullptr) {
            plist = true;
        } else if (filters.count(a) && filter.empty() && onlyDisk == nullptr) {
            filter = a;
        } else {
            auto target = DiskLookup(ctx.state()).find(a);
            if (!target || onlyDisk != nullptr) {
                ctx.err += "Could not find disk for " + a + "\n";
                return 1;
            }
            onlyDisk = target->disk;
        }
    }
    auto disks = DiskutilList::select(ctx.state(), filter, onlyDisk);
    ctx.out += plist ? DiskutilList::plist(ctx.state(), disks) : DiskutilList::text(ctx.state(), disks);
    return 0;
}

int info(ToolContext& ctx, const ToolArguments& args) {
    bool plist = false;
    std::string specifier;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-plist" && specifier.empty()) {
            plist = true;
        } else if (specifier.empty()) {
            specifier = args[i];
        } else {
            ctx.err += "Usage:  diskutil info[rmation] [-plist] <device> | -all\n";
            return 1;
        }
    }
    if (specifier.empty()) {
        ctx.err +=
            "Usage:  diskutil info[rmation] [-plist] <device> | -all\n"
            "Display detailed information about a disk or partition.\n";
        return 1;
    }
    auto target = DiskLookup(ctx.state()).find(specifier);
    if (!target || !isVisibleTo(ctx, *target)) {
        if (plist) {
            ctx.out += DiskutilInfo::errorPlist(specifier);
        } else {
            ctx.err += "Could not find disk: " + specifier + "\n";
        }
        return 1;
    }
    ctx.out += plist ? DiskutilInfo::plist(ctx.state(), *target) : DiskutilInfo::text(ctx.state(), *target);
    return 0;
}

int needsDevice(ToolContext& ctx, const std::string& verb, const std::string& usage) {
    ctx.err += "Usage:  diskutil " + verb + " " + usage + "\n";
    return 1;
}

int mount(ToolContext& ctx, const ToolArguments& args) {
    if (args.size() != 2) return needsDevice(ctx, "mount", "[readOnly] [-mountPoint Path] MountPoint|DiskIdentifier|DeviceNode");
    const std::string& specifier = args[1];
    auto target = DiskLookup(ctx.state()).find(specifier);
    if (!target) {
        ctx.err += "Unable to find disk for " + specifier + "\n";
        return 1;
    }
    if (!target->volume || target->volume->fileSystemType.empty()) {
        ctx.err += "Volume on " + target->identifier() + " failed to mount\n"
                   "This is not a mountable volume\n";
        return 1;
    }
    std::string id = target->identifier();
    std::string name = target->volume->volumeName;
    ctx.update([&](MachineState& s) {
        if (Volume* v = findVolume(s, id)) VolumeMounts::mount(ctx.machine(), s, *v);
    });
    ctx.out += "Volume " + name + " on " + specifier + " mounted\n";
    return 0;
}

int unmount(ToolContext& ctx, const ToolArguments& args) {
    bool force = args.size() == 3 && args[1] == "force";
    if (args.size() != 2 && !force) return needsDevice(ctx, args[0], "[force] MountPoint|DiskIdentifier|DeviceNode");
    const std::string& specifier = args.back();
    auto target = DiskLookup(ctx.state()).find(specifier);
    if (!target) {
        ctx.err += "Unable to find disk for " + specifier + "\n";
        return 1;
    }
    if (!target->volume || !target->volume->mountPoint) {
        ctx.err += target->identifier() +
                   " was already unmounted or it has a partitioning scheme so use \"diskutil unmountDisk\" instead\n";
        return 1;
    }
    if (target->volume->mountPoint == std::string("/")) {
        ctx.err += "Volume " + nameForMessages(*target->volume) + " on " + target->identifier() +
                   " failed to unmount: dissented by PID 0 (kernel_task)\n";
        return 1;
    }
    std::string id = target->identifier();
    std::string name = nameForMessages(*target->volume);
    ctx.update([&](MachineState& s) {
        if (Volume* v = findVolume(s, id)) VolumeMounts::unmount(ctx.machine(), *v);
    });
    ctx.out += "Volume " + name + " on " + id + (force ? " force-unmounted\n" : " unmounted\n");
    return 0;
}

int mountDisk(ToolContext& ctx, const ToolArguments& args) {
    if (args.size() != 2) return needsDevice(ctx, "mountDisk", "MountPoint|DiskIdentifier|DeviceNode");
    auto target = DiskLookup(ctx.state()).find(args[1]);
    if (!target) {
        ctx.err += "Unable to find disk for " + args[1] + "\n";
        return 1;
    }
    std::string diskId = target->disk->identifier;
    ctx.update([&](MachineState& s) {
        if (Disk* d = findDisk(s, diskId)) {
            for (auto& v : d->volumes) {
                if (!v.fileSystemType.empty()) VolumeMounts::mount(ctx.machine(), s, v);
            }
        }
    });
    ctx.out += "Volume(s) mounted successfully\n";
    return 0;
}

int unmountDisk(ToolContext& ctx, const ToolArguments& args) {
    bool force = args.size() == 3 && args[1] == "force";
    if (args.size() != 2 && !force) return needsDevice(ctx, "unmountDisk", "[force] MountPoint|DiskIdentifier|DeviceNode");
    auto target = DiskLookup(ctx.state()).find(args.back());
    if (!target) {
        ctx.err += "Unable to find disk for " + args.back() + "\n";
        return 1;
    }
    std::string diskId = target->disk->identifier;
    if (target->disk->internal) {
        ctx.err += "Unmount of " + diskId + " failed: at least one volume could not be unmounted\n";
        return 1;
    }
    ctx.update([&](MachineState& s) {
        if (Disk* d = findDisk(s, diskId)) {
            for (auto& v : d->volumes) VolumeMounts::unmount(ctx.machine(), v);
        }
    });
    ctx.out += std::string(force ? "Forced unmount" : "Unmount") + " of all volumes on " + diskId + " was successful\n";
    return 0;
}

int eject(ToolContext& ctx, const ToolArguments& args) {
    if (args.size() != 2) return needsDevice(ctx, "eject", "MountPoint|DiskIdentifier|DeviceNode");
    const std::string& specifier = args[1];
    auto target = DiskLookup(ctx.state()).find(specifier);
    if (!target) {
        ctx.err += "Unable to find disk for " + specifier + "\n";
        return 1;
    }
    std::string diskId = target->disk->identifier;
    if (target->disk->internal || !target->disk->ejectable) {
        ctx.err += "Disk " + specifier + " failed to eject\n";
        return 1;
    }
    ctx.update([&](MachineState& s) {
        for (auto it = s.disks.begin(); it != s.disks.end(); ++it) {
            if (it->identifier != diskId) continue;
            for (auto& v : it->volumes) VolumeMounts::unmount(ctx.machine(), v);
            s.disks.erase(it);
            break;
        }
    });
    ctx.out += "Disk " + specifier + " ejected\n";
    return 0;
}

int enableOwnership(ToolContext& ctx, const ToolArguments& args) {
    if (args.size() != 2) return needsDevice(ctx, args[0], "MountPoint|DiskIdentifier|DeviceNode");
    auto target = DiskLookup(ctx.state()).find(args[1]);
    if (!target) {
        ctx.err += "Could not find disk: " + args[1] + "\n";
        return 1;
    }
    if (!ctx.state().userIsAdmin) {
        ctx.err += "Changing ownership mode requires root\n";
        return 1;
    }
    if (!target->volume || !target->volume->mountPoint) {
        ctx.err += "The volume must be mounted to change its ownership mode\n";
        return 1;
    }
    bool enable = args[0] == "enableOwnership";
    std::string id = target->identifier();
    ctx.update([&](MachineState& s) {
        if (Volume* v = findVolume(s, id)) v->ownersEnabled = enable;
    });
    ctx.out += std::string("File system user/group ownership ") + (enable ? "enabled" : "disabled") + "\n";
    return 0;
}

int enableJournal(ToolContext& ctx, const ToolArguments& args) {
    if (args.size() != 2) return needsDevice(ctx, "enableJournal", "MountPoint|DiskIdentifier|DeviceNode");
    auto target = DiskLookup(ctx.state()).find(args[1]);
    if (!target) {
        ctx.err += "Could not find disk: " + args[1] + "\n";
        return 1;
    }
    if (!target->volume || target->volume->fileSystemType.empty()) {
        ctx.err += target->identifier() + " does not contain a file system\n";
        return 1;
    }
    const Volume& volume = *target->volume;
    if (volume.fileSystemType != "hfs") {
        ctx.err += "Volume " + nameForMessages(volume) + " on " + volume.identifier + " does not support journaling\n";
        return 1;
    }
    if (!volume.mountPoint) {
        ctx.err += "Volume " + nameForMessages(volume) + " on " + volume.identifier + " is not mounted\n";
        return 1;
    }
    std::string id = volume.identifier;
    ctx.update([&](MachineState& s) {
        if (Volume* v = findVolume(s, id)) {
            v->journaled = true;
            if (v->fileSystemName == "HFS+" || v->fileSystemName == "Mac OS Extended") {
                v->fileSystemName = v->fileSystemName == "HFS+" ? "Journaled HFS+" : "Mac OS Extended (Journaled)";
            }
        }
    });
    ctx.out += "Journaling has been enabled for volume " + nameForMessages(volume) + " on " + id + "\n";
    return 0;
}

}  // namespace

int runDiskutil(ToolContext& ctx, const ToolArguments& arguments) {
    ToolArguments args = arguments;
    if (!args.empty() && args[0] == "quiet") args.erase(args.begin());
    if (args.empty()) {
        ctx.out += kUsage;
        return 0;
    }
    const std::string& verb = args[0];
    if (verb == "list") return list(ctx, args);
    if (verb == "info" || verb == "information") return info(ctx, args);
    if (verb == "mount") return mount(ctx, args);
    if (verb == "unmount" || verb == "umount") return unmount(ctx, args);
    if (verb == "mountDisk") return mountDisk(ctx, args);
    if (verb == "unmountDisk" || verb == "umountDisk") return unmountDisk(ctx, args);
    if (verb == "eject") return eject(ctx, args);
    if (verb == "enableOwnership" || verb == "disableOwnership") return enableOwnership(ctx, args);
    if (verb == "enableJournal") return enableJournal(ctx, args);
    ctx.err += "diskutil: did not recognize verb \"" + verb + "\"; type \"diskutil\" for a list\n";
    return 1;
}

}  // namespace velmora::sim
