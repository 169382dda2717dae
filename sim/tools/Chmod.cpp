// chmod: device nodes of the machine's disks belong to root, so a standard
// user is refused; other files are changed only inside the machine folder.
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

#include "sim/tools/DiskLookup.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

bool octalMode(const std::string& mode, mode_t& value) {
    if (mode.empty() || mode.size() > 4) return false;
    value = 0;
    for (char c : mode) {
        if (c < '0' || c > '7') return false;
        value = static_cast<mode_t>(value * 8 + static_cast<mode_t>(c - '0'));
    }
    return true;
}

bool symbolicMode(const std::string& mode) {
    return !mode.empty() && mode.find_first_not_of("ugoa+-=rwxXstugo,") == std::string::npos &&
           mode.find_first_of("+-=") != std::string::npos;
}

// Resolved, so "..", symlinks and relative paths cannot lead out of the machine.
bool isInside(const std::string& path, const std::string& machineDir) {
    char resolvedPath[PATH_MAX];
    char resolvedRoot[PATH_MAX];
    if (::realpath(path.c_str(), resolvedPath) == nullptr || ::realpath(machineDir.c_str(), resolvedRoot) == nullptr) {
        return false;
    }
    return text::startsWith(resolvedPath, std::string(resolvedRoot) + "/");
}

}  // namespace

int runChmod(ToolContext& ctx, const ToolArguments& args) {
    std::size_t i = 0;
    while (i < args.size() && args[i].size() > 1 && args[i][0] == '-' &&
           args[i].find_first_not_of("-RfhvHLP") == std::string::npos) {
        ++i;
    }
    if (args.size() < i + 2) {
        ctx.err += "usage:\tchmod [-fhv] [-R [-H | -L | -P]] [-a | +a | =a  [i][# [ n]]] mode|entry file ...\n"
                   "\tchmod [-fhv] [-R [-H | -L | -P]] [-E | -C | -N | -i | -I] file ...\n";
        return 1;
    }
    const std::string& mode = args[i];
    mode_t numeric = 0;
    bool isOctal = octalMode(mode, numeric);
    if (!isOctal && !symbolicMode(mode)) {
        ctx.err += "chmod: Invalid file mode: " + mode + "\n";
        return 1;
    }
    int status = 0;
    for (std::size_t k = i + 1; k < args.size(); ++k) {
        const std::string& path = args[k];
        if (text::startsWith(path, "/dev/")) {
            if (!DiskLookup(ctx.state()).find(path)) {
                ctx.err += "chmod: " + path + ": No such file or directory\n";
                status = 1;
            } else if (!ctx.state().userIsAdmin) {
                ctx.err += "chmod: Unable to change file mode on " + path + ": Operation not permitted\n";
                status = 1;
            }
            continue;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            ctx.err += "chmod: " + path + ": No such file or directory\n";
            status = 1;
            continue;
        }
        bool inside = isInside(path, ctx.machine().directory());
        if (!inside || !isOctal || S_ISLNK(info.st_mode) || ::chmod(path.c_str(), numeric) != 0) {
            ctx.err += "chmod: Unable to change file mode on " + path + ": Operation not permitted\n";
            status = 1;
        }
    }
    return status;
}

}  // namespace velmora::sim
