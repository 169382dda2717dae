// lsregister: registering bundles and rebuilding the Launch Services
// database always works for the user's own database; bad arguments print the
// usage on standard error and exit 255. Each registered path and each rebuild
// (domains without paths) is recorded in the machine; a path that does not
// exist is reported and fails the run.
#include <set>
#include <sys/stat.h>

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
    bool unregister = false;
    std::vector<std::string> paths;
    std::vector<std::string> domains;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (flags.count(a)) {
            unregister = unregister || a == "-u";
            didSomething = true;
        } else if ((a == "-domain" || a == "-apps" || a == "-libs" || a == "-all") && i + 1 < args.size() &&
                   validDomains(args[i + 1])) {
            domains.push_back(args[++i]);
            didSomething = true;
        } else if (a == "-lazy" && i + 1 < args.size()) {
            ++i;
        } else if (a == "-dump") {
            ctx.out += "Checking data integrity......done.\n";
            didSomething = true;
        } else if (!a.empty() && a[0] != '-') {
            paths.push_back(a);
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
    std::vector<LaunchServicesEvent> events;
    int status = 0;
    for (const auto& path : paths) {
        // Bundles on the machine's volumes are real folders; a system path is
        // looked for under the machine folder.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 && ::stat((ctx.machine().directory() + path).c_str(), &info) != 0) {
            ctx.err += "lsregister: " + path + ": No such file or directory\n";
            status = 1;
            continue;
        }
        events.push_back({ctx.now(), unregister ? "unregister" : "register", path});
    }
    if (paths.empty() && !domains.empty()) {
        std::string joined;
        for (const auto& d : domains) joined += (joined.empty() ? "" : ",") + d;
        events.push_back({ctx.now(), "rebuild", joined});
    }
    if (!events.empty()) {
        ctx.update([&](MachineState& s) { s.launchServices.insert(s.launchServices.end(), events.begin(), events.end()); });
    }
    return status;
}

}  // namespace velmora::sim
