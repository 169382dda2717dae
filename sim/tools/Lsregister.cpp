// lsregister: registering bundles and rebuilding the Launch Services
// database always works for the user's own database; bad arguments print the
// usage on standard error and exit 255.
#include <set>

#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "lsregister: [OPTIONS] [ <path>... ]\n"
    "                      [ -apps <domain>[,domain]... ]\n"
    "                      [ -libs <domain>[,domain]... ]\n"
    "                      [ -all  <domain>[,domain]... ]\n"
    "\n"
    "Paths are searched for applications to register with the Launch Service database.\n"
    "Valid domains are \"system\", \"local\", \"network\" and \"user\". Domains can also\n"
    "be specified using only the first letter.\n"
    "\n"
    "  -delete       Delete the Launch Services database file. You must then reboot!\n"
    "  -kill         Reset the Launch Services database before doing anything else\n"
    "  -seed         If database isn't seeded, scan default locations for applications and libraries to register\n"
    "  -lint         Print information about plist errors while registering bundles\n"
    "  -lazy n       Sleep for n seconds before registering/scanning\n"
    "  -r            Recursive directory scan, do not recurse into packages or invisible directories\n"
    "  -R            Recursive directory scan, descending into packages and invisible directories\n"
    "  -f            force-update registration even if mod date is unchanged\n"
    "  -u            unregister instead of register\n"
    "  -v            Display progress information\n"
    "  -gc           Garbage collect old data and compact the database\n"
    "  -dump [table] Display full database contents after registration\n"
    "  -h            Display this help\n";

bool validDomains(const std::string& list) {
    static const std::set<std::string> domains = {"system", "local", "network", "user", "s", "l", "n", "u"};
    std::size_t start = 0;
    while (true) {
        std::size_t comma = list.find(',', start);
        if (!domains.count(list.substr(start, comma - start))) return false;
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

int runLsregister(ToolContext& ctx, const ToolArguments& args) {
    static const std::set<std::string> flags = {"-kill", "-seed", "-lint", "-r", "-R", "-f", "-u", "-v", "-gc", "-delete"};
    bool didSomething = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (flags.count(a)) {
            didSomething = true;
        } else if ((a == "-domain" || a == "-apps" || a == "-libs" || a == "-all") && i + 1 < args.size() &&
                   validDomains(args[i + 1])) {
            ++i;
            didSomething = true;
        } else if (a == "-lazy" && i + 1 < args.size()) {
            ++i;
        } else if (a == "-dump") {
            ctx.out += "Checking data integrity......done.\n";
            didSomething = true;
        } else if (!a.empty() && a[0] != '-') {
            didSomething = true;
        } else {
            ctx.err += kUsage;
            return 255;
        }
    }
    if (!didSomething) {
        ctx.err += kUsage;
        return 255;
    }
    return 0;
}

}  // namespace velmora::sim
