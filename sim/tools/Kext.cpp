// kextload, kextunload and kextstat: the loaded kernel extensions of the
// machine. Loading and unloading need root; kextstat hands over to kmutil
// as it does since macOS 11 and says so on standard error.
#include <cstdio>

#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

std::vector<std::string> bundleIdentifiers(const ToolArguments& args, bool& bad) {
    std::vector<std::string> ids;
    bad = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-b" || args[i] == "-bundle-id") && i + 1 < args.size()) {
            ids.push_back(args[++i]);
        } else if (args[i] == "-v" || args[i] == "-q") {
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] >= '0' && args[i + 1][0] <= '9') ++i;
        } else {
            bad = true;
        }
    }
    if (ids.empty()) bad = true;
    return ids;
}

int changeKexts(ToolContext& ctx, const ToolArguments& args, bool load) {
    const char* tool = load ? "kextload" : "kextunload";
    bool bad = false;
    auto ids = bundleIdentifiers(args, bad);
    if (bad) {
        ctx.err += std::string("usage: ") + tool + " [options] [--] [kext] ...\n" +
                   "\n  -b <bundle_id>: " + (load ? "load" : "unload") + " the kext with the given bundle identifier\n";
        return 64;
    }
    if (!ctx.state().userIsAdmin) {
        ctx.err += std::string("You must be running as root to ") + (load ? "load" : "unload") + " kexts.\n";
        return 77;
    }
    int status = 0;
    for (const auto& id : ids) {
        bool loaded = ctx.state().loadedKexts.count(id) > 0;
        if (!load && !loaded) {
            ctx.err += "(kernel) Kext " + id + " not found for unload request.\n";
            ctx.err += "Failed to unload " + id + " - (libkern/kext) not found.\n";
            status = 1;
            continue;
        }
        ctx.update([&](MachineState& s) {
            if (load) {
                s.loadedKexts.insert(id);
            } else {
                s.loadedKexts.erase(id);
            }
        });
    }
    return status;
}

}  // namespace

int runKextload(ToolContext& ctx, const ToolArguments& args) { return changeKexts(ctx, args, true); }

int runKextunload(ToolContext& ctx, const ToolArguments& args) { return changeKexts(ctx, args, false); }

int runKextstat(ToolContext& ctx, const ToolArguments& args) {
    std::vector<std::string> only;
    bool header = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-b" || args[i] == "-bundle-id") && i + 1 < args.size()) {
            only.push_back(args[++i]);
        } else if (args[i] == "-l" || args[i] == "-list-only") {
            header = false;
        } else if (args[i] == "-k" || args[i] == "-a" || args[i] == "-no-kernel-components" || args[i] == "-arch") {
            continue;
        } else {
            ctx.err += "usage: kextstat [-{no-kernel-components|k}] [-{list-only|l}] [-bundle-id|b bundle_id] ...\n";
            return 64;
        }
    }
    ctx.err += "Executing: /usr/bin/kmutil showloaded";
    for (const auto& id : only) ctx.err += " --bundle-identifier " + id;
    ctx.err += "\nNo variant specified, falling back to release\n";
    if (header) ctx.out += "Index Refs Address            Size       Wired      Name (Version) UUID <Linked Against>\n";
    int index = 100;
    for (const auto& id : ctx.state().loadedKexts) {
        ++index;
        bool wanted = only.empty();
        for (const auto& o : only) wanted = wanted || o == id;
        if (!wanted) continue;
        std::uint64_t h = text::stableHash(id);
        char row[512];
        std::snprintf(row, sizeof row, "%5d %4d 0x%-16s 0x%-8s 0x%-8s ", index, static_cast<int>(h % 12),
                      text::lower(text::hex(0xfffffe0007000000ULL + (h % 0x1000000) * 0x1000, 16)).c_str(),
                      text::lower(text::hex(0x1000 * (1 + h % 90), 1)).c_str(),
                      text::lower(text::hex(0x1000 * (1 + h % 90), 1)).c_str());
        ctx.out += row + id + " (1.0) " + text::uuidFor(id) + " <7 6 5 3 1>\n";
    }
    return 0;
}

}  // namespace velmora::sim
