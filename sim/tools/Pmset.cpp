// pmset: settings and assertions are readable by anyone; changing anything
// needs root, which a standard user does not have. As Apple's pmset.c
// (PowerManagement) does when IOPMSetPMPreferences answers "not privileged",
// a settings change by a standard user is refused on standard output
// ("'%s' must be run as root...") with exit status 1; an unknown setting name
// gets the usage text on standard output and exit status 1, for root too.
#include <cstdio>
#include <map>
#include <set>

#include "sim/tools/LocalTime.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "Usage: pmset <options>\n"
    "See pmset manpage for details\n";

const char* const kSystemWideTypes[] = {
    "BackgroundTask",          "ApplePushServiceTask",   "UserIsActive",           "PreventUserIdleDisplaySleep",
    "PreventSystemSleep",      "ExternalMedia",          "PreventUserIdleSystemSleep", "NetworkClientActive",
};

// IOKit's assertion type names as pmset reports them.
std::string displayType(const std::string& type) {
    if (type == "NoIdleSleepAssertion") return "PreventUserIdleSystemSleep";
    if (type == "NoDisplaySleepAssertion") return "PreventUserIdleDisplaySleep";
    return type;
}

std::string elapsed(double seconds) {
    long s = seconds > 0 ? static_cast<long>(seconds) : 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
    return buffer;
}

std::string processName(const MachineState& state, int pid) {
    for (const auto& p : state.processes) {
        if (p.pid == pid) return p.name;
    }
    return "velmora";
}

void printAssertions(ToolContext& ctx) {
    const MachineState& state = ctx.state();
    ctx.out += LocalTime::format(LocalTime::broken(ctx.now()), "%Y-%m-%d %H:%M:%S %z") + "\n";
    ctx.out += "Assertion status system-wide:\n";
    for (const char* type : kSystemWideTypes) {
        int count = 0;
        for (const auto& a : state.assertions) {
            if (displayType(a.type) == type) count = 1;
        }
        ctx.out += "   " + text::padRight(type, 30) + " " + std::to_string(count) + "\n";
    }
    ctx.out += "Listed by owning process:\n";
    for (const auto& a : state.assertions) {
        std::uint64_t id = (static_cast<std::uint64_t>(a.pid & 0xFFFFF) << 32) | a.id;
        ctx.out += "   pid " + std::to_string(a.pid) + "(" + processName(state, a.pid) + "): [0x" +
                   text::lower(text::hex(id, 16)) + "] " + elapsed(ctx.now() - a.created) + " " + displayType(a.type) +
                   " named: \"" + a.name + "\"\n";
    }
    ctx.out += "No kernel assertions.\n";
}

void printSettings(ToolContext& ctx) {
    ctx.out += "System-wide power settings:\n";
    ctx.out += "Currently in use:\n";
    for (const auto& [name, value] : ctx.state().pmset) {
        ctx.out += " " + text::padRight(name, 20) + " " + value + "\n";
    }
}

const std::set<std::string>& knownSettings() {
    static const std::set<std::string> names = {
        "displaysleep", "dim",          "disksleep",     "sleep",          "womp",          "ring",
        "autorestart",  "lidwake",      "acwake",        "lessbright",     "halfdim",       "sms",
        "hibernatemode", "hibernatefile", "standby",     "standbydelay",   "standbydelaylow", "standbydelayhigh",
        "highstandbythreshold", "autopoweroff", "autopoweroffdelay", "powernap", "ttyskeepawake",
        "networkoversleep", "destroyfvkeyonstandby", "gpuswitch", "disablesleep", "tcpkeepalive",
        "proximitywake", "lowpowermode", "powermode", "darkwakes", "sleepservices"};
    return names;
}

std::string refusal(ToolContext& ctx) { return "'" + ctx.invokedAsOnMac() + "' must be run as root...\n"; }

}  // namespace

int runPmset(ToolContext& ctx, const ToolArguments& args) {
    if (args.empty()) {
        ctx.err += kUsage;
        return 1;
    }
    const std::string& first = args[0];
    if (first == "-g") {
        std::string what = args.size() > 1 ? args[1] : "";
        if (what == "assertions") {
            printAssertions(ctx);
        } else if (what == "ps" || what == "batt") {
            ctx.out += "Now drawing from 'AC Power'\n";
        } else {
            printSettings(ctx);
        }
        return 0;
    }
    static const std::set<std::string> oneShot = {"force", "sleepnow", "displaysleepnow", "restoredefaults",
                                                  "touch", "noidle", "boot", "schedule", "repeat", "relative"};
    bool scoped = first == "-a" || first == "-b" || first == "-c" || first == "-u";
    if (!scoped && !oneShot.count(first)) {
        ctx.err += kUsage;
        return 1;
    }
    if (!scoped) {
        if (ctx.state().userIsAdmin) return 0;
        ctx.err += refusal(ctx);
        return 1;
    }
    // After the scope: "force" may stand alone, everything else comes in pairs.
    std::vector<std::pair<std::string, std::string>> changes;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "force") continue;
        if (i + 1 >= args.size() || !knownSettings().count(args[i])) {
            ctx.out += kUsage;
            return 1;
        }
        changes.emplace_back(args[i], args[i + 1]);
        ++i;
    }
    if (!ctx.state().userIsAdmin) {
        ctx.out += refusal(ctx);
        return 1;
    }
    ctx.update([&](MachineState& s) {
        for (const auto& [name, value] : changes) s.pmset[name] = value;
    });
    return 0;
}

}  // namespace velmora::sim
