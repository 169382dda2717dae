// killall: ends the machine's processes with a matching name. Finder and the
// Dock are relaunched right away under a new pid, as launchd does on a Mac.
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "usage: killall [-delmsqvz] [-help] [-I] [-u user] [-t tty] [-c cmd] [-SIGNAL] [cmd]...\n";

bool isRelaunched(const std::string& name) { return name == "Finder" || name == "Dock" || name == "SystemUIServer"; }

}  // namespace

int runKillall(ToolContext& ctx, const ToolArguments& args) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-u" || a == "-t" || a == "-c") {
            if (i + 1 >= args.size()) {
                ctx.err += kUsage;
                return 1;
            }
            ++i;
        } else if (a == "-l") {
            ctx.out += "HUP INT QUIT ILL TRAP ABRT EMT FPE KILL BUS SEGV SYS PIPE ALRM TERM URG STOP TSTP CONT CHLD "
                       "TTIN TTOU IO XCPU XFSZ VTALRM PROF WINCH INFO USR1 USR2\n";
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            continue;  // a signal (-9, -KILL) or a flag
        } else {
            names.push_back(a);
        }
    }
    if (names.empty()) {
        ctx.err += kUsage;
        return 1;
    }
    bool anyRunning = false;
    for (const auto& p : ctx.state().processes) {
        for (const auto& n : names) anyRunning = anyRunning || p.name == n;
    }
    double now = ctx.now();
    bool matched = anyRunning && ctx.update([&](MachineState& s) {
        bool any = false;
        std::vector<ProcessEntry> relaunched;
        for (auto it = s.processes.begin(); it != s.processes.end();) {
            bool hit = false;
            for (const auto& n : names) hit = hit || it->name == n;
            if (!hit) {
                ++it;
                continue;
            }
            any = true;
            if (isRelaunched(it->name)) {
                ProcessEntry fresh = *it;
                fresh.pid = s.nextPid++;
                fresh.launchTime = now;
                relaunched.push_back(std::move(fresh));
            }
            it = s.processes.erase(it);
        }
        for (auto& p : relaunched) s.processes.push_back(std::move(p));
        return any;
    });
    if (!matched) {
        ctx.err += "No matching processes belonging to you were found\n";
        return 1;
    }
    return 0;
}

}  // namespace velmora::sim
