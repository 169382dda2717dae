// df: usage of the machine's mounted volumes, with the inode columns macOS
// shows by default. A path answers from the volume that holds it and must
// exist there; a Mac system path lies on the system volume. Nothing under
// /Volumes or the machine's Volumes folder outlives its volume: a path of an
// unplugged disk is "No such file or directory", even when the folder the
// volume was mounted on is still there.
//
// On an APFS system (macOS 10.15 and later) the system volume is a sealed,
// read-only snapshot, and the user's folders live on the data volume, reached
// through the firmlinks Apple lists in /usr/share/firmlinks (/Users, /private,
// /opt, /cores, /usr/local) and the /var and /tmp links into /private. df
// reports the volume that holds the file, so a home path answers the data
// volume, as the sample df_apple-silicon_all-volumes.txt shows it mounted
// (/dev/disk3s5 on /System/Volumes/Data).
#include <cstdio>
#include <sys/stat.h>

#include "sim/tools/DiskLookup.h"
#include "sim/tools/DiskutilProperties.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

struct Row {
    std::string device;
    std::int64_t blocks = 0;
    std::int64_t used = 0;
    std::int64_t available = 0;
    std::int64_t inodesUsed = 0;
    std::int64_t inodesFree = 0;
    std::string mountedOn;
};

const char* const kMacRoots[] = {"/Applications", "/System", "/Library", "/Users", "/usr", "/bin", "/sbin",
                                 "/private", "/var", "/tmp", "/opt", "/etc", "/cores"};

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

Row rowFor(const Disk& disk, const Volume& volume) {
    Row row;
    row.device = "/dev/" + volume.identifier;
    if (volume.mountPoint == std::string("/") && disk.synthesized &&
        volume.identifier.find('s') == volume.identifier.rfind('s')) {
        row.device += "s1";  // the sealed system snapshot is what is mounted
    }
    row.blocks = volume.size / 512;
    row.used = DiskutilProperties::usedSpace(volume) / 512;
    row.available = row.blocks - row.used;
    bool inodes = volume.fileSystemType == "apfs" || volume.fileSystemType == "hfs";
    row.inodesUsed = inodes ? row.used / 64 : 0;
    row.inodesFree = inodes ? row.available / 4 : 0;
    row.mountedOn = volume.mountPoint.value_or("");
    return row;
}

std::string percent(std::int64_t part, std::int64_t whole) {
    char buffer[16];
    double value = whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 100.0;
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

std::string render(const std::vector<Row>& rows) {
    std::size_t fs = 10, blocks = 10, used = 4, avail = 9, iused = 7, ifree = 5;
    for (const auto& r : rows) {
        fs = std::max(fs, text::displayWidth(r.device));
        blocks = std::max(blocks, std::to_string(r.blocks).size());
        used = std::max(used, std::to_string(r.used).size());
        avail = std::max(avail, std::to_string(r.available).size());
        iused = std::max(iused, std::to_string(r.inodesUsed).size());
        ifree = std::max(ifree, std::to_string(r.inodesFree).size());
    }
    std::string out = text::padRight("Filesystem", fs) + " " + text::padLeft("512-blocks", blocks) + " " +
                      text::padLeft("Used", used) + " " + text::padLeft("Available", avail) + " Capacity " +
                      text::padLeft("iused", iused - 2) + " " + text::padLeft("ifree", ifree) + " %iused  Mounted on\n";
    for (const auto& r : rows) {
        out += text::padRight(r.device, fs) + " " + text::padLeft(std::to_string(r.blocks), blocks) + " " +
               text::padLeft(std::to_string(r.used), used) + " " + text::padLeft(std::to_string(r.available), avail) +
               " " + text::padLeft(percent(r.used, r.used + r.available) + "%", 6) + " " +
               text::padLeft(std::to_string(r.inodesUsed), iused) + " " +
               text::padLeft(std::to_string(r.inodesFree), ifree) + " " +
               text::padLeft(percent(r.inodesUsed, r.inodesUsed + r.inodesFree) + "%", 5) + "   " + r.mountedOn + "\n";
    }
    return out;
}

std::optional<DiskTarget> volumeMountedOn(const MachineState& state, const std::string& mountPoint) {
    for (const auto& disk : state.disks) {
        for (const auto& volume : disk.volumes) {
            if (volume.mountPoint == mountPoint) return DiskTarget{&disk, &volume};
        }
    }
    return std::nullopt;
}

std::optional<DiskTarget> systemVolume(const MachineState& state) { return volumeMountedOn(state, "/"); }

Row fallbackSystemRow() {
    Row row;
    row.device = "/dev/disk3s1s1";
    row.blocks = 965595304;
    row.used = 25348232;
    row.available = 714783480;
    row.inodesUsed = 348619;
    row.inodesFree = 3573917400;
    row.mountedOn = "/";
    return row;
}

const char* const kDataVolumeRoots[] = {"/Users", "/private", "/var", "/tmp", "/opt", "/cores", "/usr/local"};

bool onDataVolume(const std::string& path) {
    for (const char* root : kDataVolumeRoots) {
        if (path == root || text::startsWith(path, std::string(root) + "/")) return true;
    }
    return false;
}


bool onSystemVolume(const std::string& path) {
    if (path == "/") return true;
    for (const char* root : kMacRoots) {
        if (path == root || text::startsWith(path, std::string(root) + "/")) return true;
    }
    return false;
}

// Below a mount folder, but no volume is mounted there.
bool onUnmountedVolume(const std::string& path, const std::string& machineVolumes) {
    for (const std::string& folder : {std::string("/Volumes"), machineVolumes}) {
        if (text::startsWith(path, folder + "/")) return true;
    }
    return false;
}

}  // namespace

int runDf(ToolContext& ctx, const ToolArguments& args) {
    std::vector<std::string> paths;
    for (const auto& a : args) {
        if (a.size() > 1 && a[0] == '-') {
            bool known = a.find_first_not_of("-abgHhiklmnPT") == std::string::npos;
            if (!known) {
                ctx.err += "df: illegal option -- " + std::string(1, a[a.find_first_not_of("-abgHhiklmnPT")]) +
                           "\nusage: df [-b | -g | -H | -h | -k | -m | -P] [-ailn] [-T type] [-t] [filesystem ...]\n";
                return 1;
            }
            continue;
        }
        paths.push_back(a);
    }
    const MachineState& state = ctx.state();
    DiskLookup lookup(state);
    std::vector<Row> rows;
    int status = 0;
    if (paths.empty()) {
        auto system = systemVolume(state);
        rows.push_back(system ? rowFor(*system->disk, *system->volume) : fallbackSystemRow());
        Row devfs;
        devfs.device = "devfs";
        devfs.blocks = devfs.used = 404;
        devfs.inodesUsed = 702;
        devfs.mountedOn = "/dev";
        rows.push_back(devfs);
        for (const auto& disk : state.disks) {
            for (const auto& volume : disk.volumes) {
                if (volume.mountPoint && *volume.mountPoint != "/") rows.push_back(rowFor(disk, volume));
            }
        }
    }
    for (const auto& path : paths) {
        auto volume = lookup.volumeContaining(path);
        bool underSimulatedVolume = volume && volume->volume->mountPoint != std::string("/");
        // Only volumes whose mount point is a real folder of the machine can
        // say whether a path exists; the system's own volumes are taken on trust.
        bool checkable = underSimulatedVolume &&
                         text::startsWith(*volume->volume->mountPoint, ctx.machine().directory() + "/");
        if (underSimulatedVolume && (!checkable || exists(path))) {
            rows.push_back(rowFor(*volume->disk, *volume->volume));
        } else if (!underSimulatedVolume && !onUnmountedVolume(path, ctx.machine().volumesFolder()) &&
                   (onSystemVolume(path) || (exists(path) && path[0] == '/'))) {
            // Absent on a system without a data volume.
            auto system = onDataVolume(path) ? volumeMountedOn(state, "/System/Volumes/Data") : std::nullopt;
            if (!system) system = systemVolume(state);
            rows.push_back(system ? rowFor(*system->disk, *system->volume) : fallbackSystemRow());
        } else {
            ctx.err += "df: " + path + ": No such file or directory\n";
            status = 1;
        }
    }
    if (!rows.empty()) ctx.out += render(rows);
    return status;
}

}  // namespace velmora::sim
