// iostat: per-disk KB/t, tps and MB/s for the machine's physical disks,
// with cpu and load columns unless -d. Counts after the first report wait
// the interval through the context's sleeper.
#include <cstdio>

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
    for (const auto& disk : ctx.state().disks) {
        if (disk.synthesized || DiskutilProperties::isDiskImage(disk)) continue;
        bool wanted = drives.empty();
        for (const auto& d : drives) wanted = wanted || d == disk.identifier;
        if (wanted) disks.push_back(&disk);
    }
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
