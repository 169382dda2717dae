#include "sim/state/MachineFolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "foundation/process/ProcessIdentity.h"
#include "sim/state/Machine.h"
#include "sim/state/ToolTree.h"

namespace velmora::sim {

namespace {

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        throw MachineError("cannot create " + path + ": " + std::strerror(errno));
    }
}

}  // namespace

std::string MachineFolder::absolute(const std::string& path) {
    std::string result = path;
    if (result.empty() || result[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) throw MachineError("cannot read the working directory");
        result = std::string(cwd) + "/" + result;
    }
    while (result.size() > 1 && result.back() == '/') result.pop_back();
    return result;
}

std::string MachineFolder::create(const std::string& machineDir, const MachineState& initial,
                                  const std::string& toolBinary) {
    std::string dir = absolute(machineDir);
    makeFolder(dir);
    // Resolve symlinks in the folder itself so reported mount points match
    // what the file system says about them.
    if (char* real = ::realpath(dir.c_str(), nullptr)) {
        dir = real;
        std::free(real);
    }
    makeFolder(dir + "/.velmora-sim");
    makeFolder(dir + "/Volumes");
    makeFolder(dir + "/Applications");
    makeFolder(dir + "/System");
    ToolTree::install(dir, toolBinary);

    MachineState state = initial;
    const std::string volumes = dir + "/Volumes/";
    for (auto& disk : state.disks) {
        for (auto& volume : disk.volumes) {
            if (volume.mountPoint && volume.mountPoint->compare(0, volumes.size(), volumes) == 0) {
                makeFolder(*volume.mountPoint);
            }
        }
    }
    for (const auto& [tool, fault] : state.toolFaults) {
        if (fault == ToolFault::missing) ToolTree::removeTool(dir, tool);
    }
    Machine machine(dir);
    machine.write(state);
    machine.clearJournal();
    return dir;
}

std::vector<int> MachineFolder::processesStartedFor(const std::string& machineDir) {
    const std::string marker = "VELMORA_SIM_MACHINE=" + absolute(machineDir) + '\0';
    std::vector<int> found;
    for (const pid_t pid : processIds()) {
        if (pid == ::getpid()) continue;
        std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
        std::ostringstream environment;
        environment << in.rdbuf();
        if (environment.str().find(marker) != std::string::npos) found.push_back(pid);
    }
    return found;
}

}  // namespace velmora::sim
