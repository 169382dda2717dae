// top in logging mode (-l): per sample the summary block and the process
// table with every column, sorted (-o) and cut to -n rows. As on a Mac, the
// first sample has no earlier one to measure against and shows 0.0 %CPU for
// every process; later samples, -s seconds apart, show the machine's figures.
#include <algorithm>
#include <cstdio>

#include "sim/tools/LocalTime.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kHeader =
    "PID    COMMAND          %CPU TIME     #TH #WQ #PORTS MEM   PURG CMPRS PGRP  PPID STATE    BOOSTS   %CPU_ME "
    "%CPU_OTHRS UID FAULTS COW MSGSENT MSGRECV SYSBSD   SYSMACH CSW     PAGEINS IDLEW POWER INSTRS CYCLES JETPRI "
    "USER            #MREGS RPRVT VPRVT VSIZE KPRVT KSHRD";

// COMMAND holds the first 16 bytes of the name, as in the real capture
// (samples: top-l1_full-columns_header-and-rows_openclaw-report.txt shows
// "ContainerMetadat" and "com.apple.Mobile"). Bytes, not letters: top copies
// the name as a C string of fixed size, so a multi-byte letter can be split.
constexpr std::size_t kCommandBytes = 16;

// Column widths from the header above, each value left-aligned in its column.
const std::size_t kWidths[] = {7, 17, 5, 9, 4, 4, 7, 6, 5, 6, 6, 5, 9, 9, 8, 11, 4, 7, 4, 8,
                               8, 9, 8, 8, 8, 6, 6, 7, 7, 7, 16, 7, 6, 6, 6, 6, 5};

std::string fixed(double value, int decimals) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string memoryText(double megabytes) {
    if (megabytes >= 1024 * 10) return std::to_string(static_cast<long>(megabytes / 1024)) + "G";
    if (megabytes >= 10) return std::to_string(static_cast<long>(megabytes)) + "M";
    return std::to_string(static_cast<long>(megabytes * 1024)) + "K";
}

std::string cpuTime(const ProcessEntry& p, double now) {
    double running = p.launchTime ? std::max(0.0, now - *p.launchTime) : 60.0;
    double used = running * p.cpu / 100.0;
    long minutes = static_cast<long>(used / 60);
    double seconds = used - minutes * 60.0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02ld:%05.2f", minutes, seconds);
    return buffer;
}

std::string row(const ProcessEntry& p, double now) {
    std::uint64_t h = text::stableHash(std::to_string(p.pid) + p.name);
    std::vector<std::string> values = {
        std::to_string(p.pid), p.name.substr(0, kCommandBytes), fixed(p.cpu, 1), cpuTime(p, now),
        std::to_string(2 + h % 20), std::to_string(1 + h % 3), std::to_string(40 + h % 400), memoryText(p.memoryMB),
        "0B", memoryText(p.memoryMB / 8), std::to_string(p.pid), "1", p.cpu > 0.5 ? "running" : "sleeping",
        "*0[1]", "0.00000", "0.00000", "501", std::to_string(1000 + h % 90000), std::to_string(100 + h % 900),
        std::to_string(h % 20000), std::to_string(h % 10000), std::to_string(h % 400000), std::to_string(h % 100000),
        std::to_string(h % 90000), std::to_string(h % 1000), std::to_string(h % 600), fixed(p.cpu, 1), "0", "0", "0",
        "user", "N/A", "N/A", "N/A", "N/A", "N/A", "N/A"};
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::size_t width = kWidths[i];
        if (i == 1) {
            // COMMAND is a byte column: cut and padded by bytes, so a name cut
            // inside a letter keeps the broken half.
            line += values[i] + std::string(width - values[i].size(), ' ');
            continue;
        }
        // A value as wide as its column still gets one space before the next.
        if (text::displayWidth(values[i]) >= width) width = text::displayWidth(values[i]) + 1;
        line += text::padRight(values[i], width);
    }
    return line + "\n";
}

// More samples than this are cut short, so a run can never hold its caller long.
constexpr long long kMostSamples = 10;

void printSample(ToolContext& ctx, std::vector<ProcessEntry> processes, const std::string& order, long limit) {
    std::stable_sort(processes.begin(), processes.end(), [&](const ProcessEntry& a, const ProcessEntry& b) {
        if (order == "cpu") return a.cpu > b.cpu;
        if (order == "mem") return a.memoryMB > b.memoryMB;
        if (order == "command") return a.name > b.name;
        return a.pid > b.pid;
    });
    double totalCpu = 0;
    int running = 0;
    for (const auto& p : processes) {
        totalCpu += p.cpu;
        if (p.cpu > 0.5) ++running;
    }
    double user = std::min(95.0, totalCpu * 0.6 / 8);
    double sys = std::min(4.0, totalCpu * 0.4 / 8);
    std::string& out = ctx.out;
    out += "Processes: " + std::to_string(processes.size()) + " total, " + std::to_string(running) + " running, " +
           std::to_string(processes.size() - running) + " sleeping, " + std::to_string(processes.size() * 4) +
           " threads \n";
    out += LocalTime::format(LocalTime::broken(ctx.now()), "%Y/%m/%d %H:%M:%S") + "\n";
    out += "Load Avg: 1.52, 1.61, 1.70 \n";
    out += "CPU usage: " + fixed(user, 2) + "% user, " + fixed(sys, 2) + "% sys, " + fixed(100 - user - sys, 2) +
           "% idle \n";
    out += "SharedLibs: 907M resident, 138M data, 131M linkedit.\n";
    out += "MemRegions: 169553 total, 12G resident, 259M private, 7992M shared.\n";
    out += "PhysMem: 15G used (2231M wired, 711M compressor), 389M unused.\n";
    out += "VM: 269T vsize, 5703M framework vsize, 0(0) swapins, 0(0) swapouts.\n";
    out += "Networks: packets: 78601152/90G in, 67155094/63G out.\n";
    out += "Disks: 98013551/1643G read, 57644552/2729G written.\n";
    out += "\n";
    out += std::string(kHeader) + "\n";
    std::size_t shown = limit < 0 ? processes.size() : std::min(processes.size(), static_cast<std::size_t>(limit));
    for (std::size_t i = 0; i < shown; ++i) out += row(processes[i], ctx.now());
}

}  // namespace

int runTop(ToolContext& ctx, const ToolArguments& args) {
    std::string order = "pid";
    long limit = -1;
    long long samples = 1;
    long long delay = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        long long n = 0;
        if ((a == "-l" || a == "-s") && hasValue && text::parseInteger(args[i + 1], n) && n >= 0) {
            // -l 0 means "until interrupted" on a Mac; here it is the cap.
            if (a == "-l") samples = n == 0 ? kMostSamples : std::min(n, kMostSamples);
            if (a == "-s") delay = n;
            ++i;
        } else if (a == "-n" && hasValue && text::parseInteger(args[i + 1], n) && n >= 0) {
            limit = static_cast<long>(n);
            ++i;
        } else if (a == "-o" && hasValue) {
            order = text::lower(args[++i]);
            if (!order.empty() && (order[0] == '+' || order[0] == '-')) order.erase(0, 1);
            if (order != "pid" && order != "cpu" && order != "mem" && order != "command" && order != "time") {
                ctx.err += "invalid argument -o: " + args[i] + "\n";
                return 1;
            }
        } else {
            ctx.err += "invalid option or syntax: " + a + "\n"
                       "top usage: top\n"
                       "\t[-a | -d | -e | -c <mode>]\n"
                       "\t[-F | -f]\n"
                       "\t[-h]\n"
                       "\t[-i <interval>]\n"
                       "\t[-l <samples>]\n"
                       "\t[-ncols <columns>]\n"
                       "\t[-o <key>] [-O <secondaryKey>]\n"
                       "\t[-n <nprocs>]\n";
            return 1;
        }
    }
    const std::vector<ProcessEntry> measured = ctx.state().processes;
    for (long long sample = 0; sample < samples; ++sample) {
        if (sample == 0) {
            std::vector<ProcessEntry> unmeasured = measured;
            for (auto& p : unmeasured) p.cpu = 0;
            printSample(ctx, std::move(unmeasured), order, limit);
            continue;
        }
        ctx.sleep(static_cast<double>(delay));
        printSample(ctx, measured, order, limit);
    }
    return 0;
}

}  // namespace velmora::sim
