#include "sim/state/ToolTree.h"

#include <climits>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/state/MachineState.h"

namespace velmora::sim {

namespace {

const char* const kLsregister =
    "System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/lsregister";

std::string toolBinaryRecord(const std::string& machineDir) { return machineDir + "/.velmora-sim/tool-binary"; }

void makeFolders(const std::string& path) {
    std::string partial;
    std::stringstream parts(path);
    std::string piece;
    if (!path.empty() && path[0] == '/') partial = "";
    while (std::getline(parts, piece, '/')) {
        if (piece.empty()) continue;
        partial += "/" + piece;
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
            throw MachineError("cannot create " + partial + ": " + std::strerror(errno));
        }
    }
}

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void replaceLink(const std::string& target, const std::string& linkPath) {
    makeFolders(parentOf(linkPath));
    if (::unlink(linkPath.c_str()) != 0 && errno != ENOENT) {
        throw MachineError("cannot replace " + linkPath + ": " + std::strerror(errno));
    }
    if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
        throw MachineError("cannot link " + linkPath + ": " + std::strerror(errno));
    }
}

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string findHostUtility(const std::string& name) {
    for (const char* folder : {"/usr/bin/", "/bin/"}) {
        std::string candidate = folder + name;
        if (isExecutableFile(candidate)) return candidate;
    }
    return "";
}

}  // namespace

const std::vector<ToolLink>& ToolTree::links() {
    static const std::vector<ToolLink> table = {
        {"usr/sbin/diskutil", "diskutil"},
        {"usr/sbin/ioreg", "ioreg"},
        {"usr/bin/log", "log"},
        {"bin/date", "date"},
        {"usr/bin/pmset", "pmset"},
        {"usr/sbin/sysctl", "sysctl"},
        {"sbin/mount", "mount"},
        {"sbin/umount", "umount"},
        {"usr/bin/mdutil", "mdutil"},
        {"usr/bin/xattr", "xattr"},
        {"sbin/kextload", "kextload"},
        {"sbin/kextunload", "kextunload"},
        {"usr/sbin/kextstat", "kextstat"},
        {"bin/launchctl", "launchctl"},
        {"usr/sbin/system_profiler", "system_profiler"},
        {"usr/bin/top", "top"},
        {"usr/sbin/iostat", "iostat"},
        {"bin/df", "df"},
        {"bin/ps", "ps"},
        {"bin/chmod", "chmod"},
        {"usr/bin/killall", "killall"},
        {"usr/sbin/purge", "purge"},
        {"usr/bin/memory_pressure", "memory_pressure"},
        {"usr/bin/caffeinate", "caffeinate"},
        {"bin/sync", "sync"},
        {kLsregister, "lsregister"},
    };
    return table;
}

const std::vector<std::string>& ToolTree::hostUtilityNames() {
    static const std::vector<std::string> names = {"grep", "egrep", "wc",   "paste", "sleep", "cat",    "head",
                                                   "tail", "tr",    "sed",  "cut",   "sort",  "uniq",   "true",
                                                   "false", "printf", "echo", "test", "expr",  "awk"};
    return names;
}

std::string ToolTree::hostUtilityFolder(const std::string& machineDir) { return machineDir + "/.velmora-sim/host-bin"; }

std::string ToolTree::toolForPath(const std::string& relativePath) {
    std::string path = relativePath;
    while (!path.empty() && path[0] == '/') path.erase(0, 1);
    for (const auto& link : links()) {
        if (link.path == path) return link.tool;
    }
    return "";
}

bool ToolTree::isKnownTool(const std::string& tool) {
    for (const auto& link : links()) {
        if (link.tool == tool) return true;
    }
    return false;
}

void ToolTree::install(const std::string& machineDir, const std::string& toolBinary) {
    makeFolders(machineDir + "/.velmora-sim");
    {
        std::ofstream record(toolBinaryRecord(machineDir), std::ios::trunc);
        record << toolBinary << "\n";
        if (!record) throw MachineError("cannot write " + toolBinaryRecord(machineDir));
    }
    for (const auto& link : links()) replaceLink(toolBinary, machineDir + "/" + link.path);
    replaceLink("/bin/sh", machineDir + "/bin/sh");
    // Stand-in for zsh: the one zsh script the program runs is plain
    // POSIX-style shell that bash runs the same way.
    replaceLink("/bin/bash", machineDir + "/bin/zsh");
    std::string hostBin = hostUtilityFolder(machineDir);
    makeFolders(hostBin);
    for (const auto& name : hostUtilityNames()) {
        std::string found = findHostUtility(name);
        if (!found.empty()) replaceLink(found, hostBin + "/" + name);
    }
}

static std::string recordedToolBinary(const std::string& machineDir) {
    std::ifstream record(toolBinaryRecord(machineDir));
    std::string binary;
    std::getline(record, binary);
    if (binary.empty()) throw MachineError("the machine does not record its tool binary");
    return binary;
}

void ToolTree::removeTool(const std::string& machineDir, const std::string& tool) {
    for (const auto& link : links()) {
        if (link.tool != tool) continue;
        std::string path = machineDir + "/" + link.path;
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            throw MachineError("cannot remove " + path + ": " + std::strerror(errno));
        }
    }
}

void ToolTree::restoreTool(const std::string& machineDir, const std::string& tool) {
    std::string binary = recordedToolBinary(machineDir);
    for (const auto& link : links()) {
        if (link.tool == tool) replaceLink(binary, machineDir + "/" + link.path);
    }
}

std::string ToolTree::programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string self(path, static_cast<std::size_t>(n));
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

}  // namespace velmora::sim
