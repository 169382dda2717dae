// launchctl: kickstarting a service of the system domain needs root; the
// user's own domain is allowed.
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "Usage: launchctl <subcommand> ... | help [subcommand]\n"
    "Many subcommands take a target specifier that refers to a domain or service\n"
    "within that domain. The available specifier forms are:\n";

int kickstart(ToolContext& ctx, const ToolArguments& args) {
    std::string target;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-k" || args[i] == "-p" || args[i] == "-s" || args[i] == "-kp") continue;
        if (!target.empty() || (!args[i].empty() && args[i][0] == '-')) {
            target.clear();
            break;
        }
        target = args[i];
    }
    auto slash = target.rfind('/');
    if (target.empty() || slash == std::string::npos || slash + 1 == target.size()) {
        ctx.err += "Usage: launchctl kickstart [-kp] <service-target>\n";
        return 64;
    }
    std::string service = target.substr(slash + 1);
    if (text::startsWith(target, "system/") && !ctx.state().userIsAdmin) {
        ctx.err += "Could not kickstart service \"" + service + "\": 1: Operation not permitted\n";
        return 1;
    }
    return 0;
}

}  // namespace

int runLaunchctl(ToolContext& ctx, const ToolArguments& args) {
    if (args.empty()) {
        ctx.err += kUsage;
        return 64;
    }
    if (args[0] == "kickstart") return kickstart(ctx, args);
    if (args[0] == "list") {
        ctx.out += "PID\tStatus\tLabel\n";
        for (const auto& p : ctx.state().processes) {
            if (p.bundleIdentifier) ctx.out += std::to_string(p.pid) + "\t0\tapplication." + *p.bundleIdentifier + "\n";
        }
        return 0;
    }
    ctx.err += "Unrecognized subcommand: " + args[0] + "\n" + kUsage;
    return 64;
}

}  // namespace velmora::sim
