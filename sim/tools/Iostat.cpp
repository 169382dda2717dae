// iostat: per-disk KB/t, tps and MB/s for the machine's physical disks,
// with cpu and load columns unless -d. Counts after the first report wait
// the interval through the context's sleeper.
//
// Which disks, as Apple's iostat (system_cmds, iostat.tproj/iostat.c)
// picks them: whole disks with a block-storage driver (no APFS container,
// no disk image here), sorted by strcmp of their names (so disk10 before
// disk2), at most 4 with -d and 3 without unless -n says otherwise. Drives
// named on the command line are the ones shown (the limit grows to their
// number); a name that is not such a disk ends the run with exit status 1
// ("'diskN' not found" / "could not record 'diskN' for monitoring").
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/tools/DiskutilProperties.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage = "usage: iostat [-CUdIKoT?] [-c count] [-n devs]\n\t      [-w wait] [drives]\n";

std::string disksLine(const std::vector<const Disk*>& disks, int sample) {
    std::string line;
    for (std::size_t i = 0; i < disks.size(); ++i) {
        std::uint64_t h = text::stableHash(disks[i]->identifier + std::to_string(sample));
        double kbPerTransfer = 4.0 + static_cast<double>(h % 6000) / 100.0;
        int tps = static_cast<int>(h % 200);
        double mbPerSecond = kbPerTransfer * tps / 1024.0;
        char group[64];
        std::snprintf(group, sizeof group, "%s%8.2f%5d%6.2f", i ? " " : "", kbPerTransfer, tps, mbPerSecond);
        line += group;
    }
    return line;
}

}  // namespace

int runIostat(ToolContext& ctx, const ToolArguments& args) {
    bool onlyDisks = false;
    long long shownAtMost = -1;
    long long count = -1;
    long long wait = 1;
    std::vector<long long> numbers;
    std::vector<std::string> drives;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long n = 0;
        if (a == "-d") {
            onlyDisks = true;
        } else if (a == "-C" || a == "-U" || a == "-K" || a == "-I" || a == "-o" || a == "-T") {
            continue;
        } else if ((a == "-c" || a == "-w" || a == "-n") && i + 1 < args.size() && text::parseInteger(args[i + 1], n) &&
                   n >= 0) {
            if (a == "-c") count = n;
            if (a == "-w") wait = n;
            if (a == "-n") shownAtMost = n;
            ++i;
        } else if (text::parseInteger(a, n) && n >= 0) {
            numbers.push_back(n);
        } else if (!a.empty() && a[0] != '-') {
            drives.push_back(a);
        } else {
            ctx.err += kUsage;
            return 1;
        }
    }
    if (!numbers.empty()) wait = numbers[0];
    if (numbers.size() > 1) count = numbers[1];
    if (count < 0) count = 1;

    std::vector<const Disk*> disks;
    const auto withStatistics = [](const Disk& disk) { return !disk.synthesized && !DiskutilProperties::isDiskImage(disk); };
    if (drives.empty()) {
        for (const auto& disk : ctx.state().disks) {
            if (withStatistics(disk)) disks.push_back(&disk);
        }
        std::sort(disks.begin(), disks.end(), [](const Disk* a, const Disk* b) {
            return std::strcmp(a->identifier.c_str(), b->identifier.c_str()) < 0;
        });
    } else {
        for (const auto& name : drives) {
            const auto& all = ctx.state().disks;
            const auto found = std::find_if(all.begin(), all.end(), [&](const Disk& d) { return d.identifier == name; });
            if (found == all.end()) {
                ctx.err += "iostat: '" + name + "' not found\n";
                return 1;
            }
            if (!withStatistics(*found)) {
                ctx.err += "iostat: could not record '" + name + "' for monitoring\n";
                return 1;
            }
            disks.push_back(&*found);
        }
    }
    const long long limit = shownAtMost >= 0 ? shownAtMost
                                             : std::max<long long>(onlyDisks ? 4 : 3, static_cast<long long>(drives.size()));
    if (static_cast<long long>(disks.size()) > limit) disks.resize(static_cast<std::size_t>(limit));
    std::string names;
    std::string columns;
    for (std::size_t i = 0; i < disks.size(); ++i) {
        names += (i ? " " : "") + text::padLeft(disks[i]->identifier, 19);
        columns += std::string(i ? " " : "") + "    KB/t  tps  MB/s";
    }
    if (!onlyDisks) {
        names += "       cpu     load average";
        columns += "  us sy id   1m   5m   15m";
    }
    ctx.out += names + "\n" + columns + "\n";
    for (long long sample = 0; sample < count && sample < 100; ++sample) {
        if (sample > 0) ctx.sleep(static_cast<double>(wait));
        std::string line = disksLine(disks, static_cast<int>(sample));
        if (!onlyDisks) line += "   6  3 91  1.52 1.61 1.70";
        ctx.out += line + "\n";
    }
    return 0;
}

}  // namespace velmora::sim
