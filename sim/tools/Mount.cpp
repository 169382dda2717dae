// mount and umount: the mount table of the machine; updating a mounted
// volume's options (-u) needs root. macOS mount has no "remount" option: a
// lone mount point without -u is looked up in fstab and is not found.
#include "sim/tools/DiskLookup.h"
#include "sim/tools/ShortOptions.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"
#include "sim/tools/VolumeMounts.h"

namespace velmora::sim {

namespace {

const char* const kMountUsage =
    "usage: mount [-dfrkuvw] [-o options] [-t external_type] special mount_point\n"
    "       mount [-adfrkuvw] [-t external_type]\n"
    "       mount [-dfrkuvw] special | mount_point\n";

std::vector<std::string> baseOptions(const Disk& disk, const Volume& volume) {
    std::vector<std::string> options = {volume.fileSystemType.empty() ? std::string("unknown") : volume.fileSystemType};
    if (volume.mountPoint == std::string("/")) {
        options.insert(options.end(), {"sealed", "local", "read-only", "journaled"});
        return options;
    }
    options.push_back("local");
    if (!disk.internal) options.insert(options.end(), {"nodev", "nosuid"});
    if (volume.journaled || volume.fileSystemType == "apfs") options.push_back("journaled");
    if (!volume.ownersEnabled && !disk.internal) options.push_back("noowners");
    return options;
}

std::string mountLine(const Disk& disk, const Volume& volume) {
    std::vector<std::string> options = baseOptions(disk, volume);
    for (const auto& extra : text::split(volume.mountOptions, ',')) {
        if (extra.empty() || extra == "remount") continue;
        bool present = false;
        for (const auto& o : options) present = present || o == extra;
        if (!present) options.push_back(extra);
    }
    std::string joined;
    for (std::size_t i = 0; i < options.size(); ++i) joined += (i ? ", " : "") + options[i];
    return "/dev/" + volume.identifier + " on " + *volume.mountPoint + " (" + joined + ")\n";
}

void listMounts(ToolContext& ctx) {
    const MachineState& state = ctx.state();
    for (const auto& disk : state.disks) {
        for (const auto& volume : disk.volumes) {
            if (volume.mountPoint == std::string("/")) ctx.out += mountLine(disk, volume);
        }
    }
    ctx.out += "devfs on /dev (devfs, local, nobrowse)\n";
    for (const auto& disk : state.disks) {
        for (const auto& volume : disk.volumes) {
            if (volume.mountPoint && *volume.mountPoint != "/") ctx.out += mountLine(disk, volume);
        }
    }
}

std::string refusal(const Volume& volume) {
    if (volume.fileSystemType == "apfs") return "mount_apfs: volume could not be mounted: Operation not permitted\n";
    std::string helper = volume.fileSystemType.empty() ? "mount" : "mount_" + volume.fileSystemType;
    return helper + ": " + "/dev/" + volume.identifier + " on " + volume.mountPoint.value_or("") +
           ": Operation not permitted\n";
}

}  // namespace

int runMount(ToolContext& ctx, const ToolArguments& args) {
    auto parsed = ShortOptions("adfrkuvw", "ot").parse(args);
    if (auto* error = std::get_if<ShortOptions::Error>(&parsed)) {
        ctx.err += "mount: " + error->message() + "\n" + kMountUsage;
        return 1;
    }
    auto& options = std::get<ShortOptions::Parsed>(parsed);
    if (options.operands.empty()) {
        listMounts(ctx);
        return 0;
    }
    if (options.operands.size() > 2) {
        ctx.err += kMountUsage;
        return 1;
    }
    const std::string& specifier = options.operands.back();
    if (options.operands.size() == 1 && !options.has('u')) {
        ctx.err += "mount: " + specifier + ": unknown special file or file system.\n";
        return 1;
    }
    auto target = DiskLookup(ctx.state()).find(specifier);
    if (!target || !target->volume || !target->volume->mountPoint) {
        ctx.err += "mount: " + specifier + ": unknown special file or file system.\n";
        return 1;
    }
    if (!ctx.state().userIsAdmin) {
        ctx.err += refusal(*target->volume);
        return 1;
    }
    std::string id = target->identifier();
    std::vector<std::string> given = options.all('o');
    std::string joined;
    for (std::size_t i = 0; i < given.size(); ++i) joined += (i ? "," : "") + given[i];
    ctx.update([&](MachineState& s) {
        if (Volume* v = findVolume(s, id)) v->mountOptions = joined;
    });
    return 0;
}

int runUmount(ToolContext& ctx, const ToolArguments& args) {
    auto parsed = ShortOptions("afv", "t").parse(args);
    if (auto* error = std::get_if<ShortOptions::Error>(&parsed)) {
        ctx.err += "umount: " + error->message() + "\nusage: umount [-fv] special | node\n";
        return 1;
    }
    auto& options = std::get<ShortOptions::Parsed>(parsed);
    if (options.operands.empty()) {
        ctx.err += "usage: umount [-fv] special | node\n";
        return 1;
    }
    int status = 0;
    for (const auto& specifier : options.operands) {
        auto target = DiskLookup(ctx.state()).find(specifier);
        if (!target || !target->volume || !target->volume->mountPoint) {
            ctx.err += "umount: " + specifier + ": not currently mounted\n";
            status = 1;
            continue;
        }
        if (*target->volume->mountPoint == "/" || (target->disk->internal && !ctx.state().userIsAdmin)) {
            ctx.err += "umount: unmount(" + *target->volume->mountPoint + "): Operation not permitted\n";
            status = 1;
            continue;
        }
        std::string id = target->identifier();
        ctx.update([&](MachineState& s) {
            if (Volume* v = findVolume(s, id)) VolumeMounts::unmount(ctx.machine(), *v);
        });
    }
    return status;
}

}  // namespace velmora::sim
