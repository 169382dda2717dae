// xattr: the quarantine attribute of a volume's mount point is kept in the
// machine state; no host file's attributes are read or changed.
#include <sys/stat.h>

#include "sim/tools/DiskLookup.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kQuarantine = "com.apple.quarantine";
const char* const kUsage =
    "usage: xattr [-l] [-r] [-s] [-v] [-x] file [file ...]\n"
    "       xattr -p [-l] [-r] [-s] [-v] [-x] attr_name file [file ...]\n"
    "       xattr -w [-r] [-s] [-x] attr_name attr_value file [file ...]\n"
    "       xattr -d [-r] [-s] attr_name file [file ...]\n"
    "       xattr -c [-r] [-s] file [file ...]\n"
    "\n"
    "The first form lists the names of all xattrs on the given file(s).\n"
    "The second form (-p) prints the value of the xattr attr_name.\n"
    "The third form (-w) sets the value of the xattr attr_name to attr_value.\n"
    "The fourth form (-d) deletes the xattr attr_name.\n"
    "The fifth form (-c) deletes (clears) all xattrs.\n";

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

int runXattr(ToolContext& ctx, const ToolArguments& args) {
    std::string mode;
    std::vector<std::string> rest;
    for (const auto& a : args) {
        if (a == "-d" || a == "-p" || a == "-c" || a == "-w") {
            if (!mode.empty()) {
                ctx.err += kUsage;
                return 2;
            }
            mode = a;
        } else if (a == "-r" || a == "-s" || a == "-v" || a == "-x" || a == "-l") {
            continue;
        } else if (a.size() > 1 && a[0] == '-') {
            ctx.err += "option " + a + " not recognized\n\n" + kUsage;
            return 2;
        } else {
            rest.push_back(a);
        }
    }
    std::size_t names = mode == "-d" || mode == "-p" ? 1 : mode == "-w" ? 2 : 0;
    if (rest.size() <= names) {
        ctx.err += kUsage;
        return 2;
    }
    std::string attribute = names ? rest.front() : "";
    int status = 0;
    for (std::size_t i = names; i < rest.size(); ++i) {
        const std::string& path = rest[i];
        auto target = DiskLookup(ctx.state()).find(path);
        bool isMountPoint = target && target->volume && target->volume->mountPoint && path.size() > 0 && path[0] == '/';
        if (!isMountPoint && !exists(path)) {
            ctx.err += "xattr: No such file: " + path + "\n";
            status = 1;
            continue;
        }
        bool quarantined = isMountPoint && target->volume->quarantined;
        if (mode.empty()) {
            if (quarantined) ctx.out += std::string(kQuarantine) + "\n";
            continue;
        }
        if (mode == "-w") {
            ctx.err += "xattr: [Errno 1] Operation not permitted: '" + path + "'\n";
            status = 1;
            continue;
        }
        bool has = quarantined && (mode == "-c" || attribute == kQuarantine);
        if (mode == "-p") {
            if (has) {
                ctx.out += "0081;00000000;Safari;\n";
            } else {
                ctx.err += "xattr: " + path + ": No such xattr: " + attribute + "\n";
                status = 1;
            }
            continue;
        }
        if (!has) {
            if (mode == "-d") {
                ctx.err += "xattr: " + path + ": No such xattr: " + attribute + "\n";
                status = 1;
            }
            continue;
        }
        std::string id = target->identifier();
        ctx.update([&](MachineState& s) {
            if (Volume* v = findVolume(s, id)) v->quarantined = false;
        });
    }
    return status;
}

}  // namespace velmora::sim
