#include "sim/tools/VolumeMounts.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/tools/TextFormat.h"

namespace velmora::sim {

namespace {

bool pathTaken(const MachineState& state, const std::string& path) {
    for (const auto& disk : state.disks) {
        for (const auto& volume : disk.volumes) {
            if (volume.mountPoint && *volume.mountPoint == path) return true;
        }
    }
    return false;
}

}  // namespace

std::string VolumeMounts::folderName(const std::string& volumeName) {
    std::string name = volumeName;
    for (char& c : name) {
        if (c == '/') c = ':';
        if (c == '\0') c = '_';
    }
    if (name.empty() || name == "." || name == "..") name = "Untitled";
    return name;
}

std::string VolumeMounts::mount(const Machine& machine, MachineState& state, Volume& volume) {
    if (volume.mountPoint) return *volume.mountPoint;
    std::string folder = machine.volumesFolder();
    ::mkdir(folder.c_str(), 0755);
    std::string base = folder + "/" + folderName(volume.volumeName);
    std::string path = base;
    for (int n = 1; pathTaken(state, path); ++n) path = base + " " + std::to_string(n);
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot create mount point " + path);
    }
    volume.mountPoint = path;
    return path;
}

void VolumeMounts::unmount(const Machine& machine, Volume& volume) {
    if (!volume.mountPoint) return;
    std::string path = *volume.mountPoint;
    volume.mountPoint.reset();
    // Only an empty folder of our own goes away; the volume's files stay.
    if (text::startsWith(path, machine.volumesFolder() + "/")) ::rmdir(path.c_str());
}

}  // namespace velmora::sim
