// mdutil: Spotlight status of a volume; turning indexing on or off and
// erasing the index need root.
#include <sys/stat.h>

#include "sim/tools/DiskLookup.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "Usage: mdutil -pEsa -i (on|off) -d volume ...\n"
    "       mdutil -t {volume-path | deviceid} fileid\n"
    "\tUtility to manage Spotlight indexes.\n"
    "\t-p             Publish metadata.\n"
    "\t-i (on|off)    Turn indexing on or off.\n"
    "\t-d             Disable Spotlight activity for volume (re-enable using -i on).\n"
    "\t-E             Erase and rebuild index.\n"
    "\t-s             Print indexing status.\n"
    "\t-t             Resolve files from file id with an optional volume path or device id.\n"
    "\t-a             Apply command to all volumes.\n"
    "\t-V vol         Apply command to all stores on the specified volume.\n"
    "\t-v             Display verbose information.\n"
    "NOTE: Run as owner for network homes, otherwise run as root.\n";

std::string status(bool indexing) { return indexing ? "\tIndexing enabled. \n" : "\tIndexing disabled.\n"; }

}  // namespace

int runMdutil(ToolContext& ctx, const ToolArguments& args) {
    std::optional<bool> turnOn;
    bool erase = false;
    bool showStatus = false;
    std::vector<std::string> volumes;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-i" && i + 1 < args.size() && (args[i + 1] == "on" || args[i + 1] == "off")) {
            turnOn = args[++i] == "on";
        } else if (a == "-E") {
            erase = true;
        } else if (a == "-s") {
            showStatus = true;
        } else if (a == "-v" || a == "-p") {
            continue;
        } else if (!a.empty() && a[0] == '-') {
            ctx.err += kUsage;
            return 1;
        } else {
            volumes.push_back(a);
        }
    }
    if (volumes.empty() || (!turnOn && !erase && !showStatus)) {
        ctx.err += kUsage;
        return 1;
    }
    int result = 0;
    for (const auto& path : volumes) {
        ctx.out += path + ":\n";
        auto target = DiskLookup(ctx.state()).volumeContaining(path);
        struct stat info {};
        if (!target || (path != "/" && ::stat(path.c_str(), &info) != 0)) {
            ctx.out += "\tError: Invalid volume path.\n";
            result = 1;
            continue;
        }
        if (showStatus && !turnOn && !erase) {
            ctx.out += status(target->volume->spotlightIndexing);
            continue;
        }
        if (!ctx.state().userIsAdmin) {
            ctx.out += "\tError: unable to perform operation. (-400)\n";
            ctx.out += "\tError: unknown indexing state.\n";
            result = 1;
            continue;
        }
        std::string id = target->identifier();
        bool indexing = turnOn.value_or(true);
        ctx.update([&](MachineState& s) {
            if (Volume* v = findVolume(s, id)) v->spotlightIndexing = indexing;
        });
        ctx.out += status(indexing);
    }
    return result;
}

}  // namespace velmora::sim
