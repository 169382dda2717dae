// The tools with little to say: purge (root only), memory_pressure (a
// report), caffeinate (a short wait), sync, and sleep (the machine's own
// only in a simulated life, where its wait follows the life's time scale).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

// caffeinate waits at most this long, so a run can never hold its caller.
constexpr double kLongestCaffeinate = 1.0;

}  // namespace

int runPurge(ToolContext& ctx, const ToolArguments& args) {
    if (!args.empty()) {
        ctx.err += "usage: purge\n";
        return 1;
    }
    if (!ctx.state().userIsAdmin) {
        ctx.err += "Unable to purge disk buffers: Operation not permitted\n";
        return 1;
    }
    return 0;
}

int runMemoryPressure(ToolContext& ctx, const ToolArguments& args) {
    bool simulate = false;
    bool level = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long n = 0;
        if (a == "-S") {
            simulate = true;
        } else if (a == "-Q") {
            continue;
        } else if ((a == "-s" || a == "-p") && i + 1 < args.size() && text::parseInteger(args[i + 1], n) && n >= 0) {
            ++i;
        } else if (a == "-l" && i + 1 < args.size() && (args[i + 1] == "warn" || args[i + 1] == "critical")) {
            level = true;
            ++i;
        } else {
            ctx.err += "Usage: memory_pressure [-l level] | [-p percent_free] | [-S -l level] | [-s sleep_seconds]\n";
            return 1;
        }
    }
    // Simulated pressure needs a level; without one nothing happens and the
    // tool still exits 0.
    if (simulate && !level) {
        ctx.out += "Expected level with -l along with \"simulated\" mode.\n";
        return 0;
    }
    ctx.out +=
        "The system has 17179869184 (1048576 pages with a page size of 16384).\n"
        "\n"
        "Stats: \n"
        "Pages free: 64419 \n"
        "Pages purgeable: 7542 \n"
        "Pages purged: 1234567 \n"
        "\n"
        "Swap I/O:\n"
        "Swapins: 0 \n"
        "Swapouts: 0 \n"
        "\n"
        "Page Q counts:\n"
        "Pages active: 378901 \n"
        "Pages inactive: 376543 \n"
        "Pages speculative: 6543 \n"
        "Pages throttled: 0 \n"
        "Pages wired down: 143210 \n"
        "\n"
        "Compressor Stats:\n"
        "Pages used by compressor: 98765 \n"
        "Pages decompressed: 1234567 \n"
        "Pages compressed: 2345678 \n"
        "\n"
        "File I/O:\n"
        "Pageins: 3456789 \n"
        "Pageouts: 12345 \n"
        "\n"
        "System-wide memory free percentage: 62%\n";
    return 0;
}

int runCaffeinate(ToolContext& ctx, const ToolArguments& args) {
    double seconds = kLongestCaffeinate;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long n = 0;
        if (a == "-d" || a == "-i" || a == "-m" || a == "-s" || a == "-u") continue;
        if ((a == "-t" || a == "-w") && i + 1 < args.size() && text::parseInteger(args[i + 1], n) && n >= 0) {
            if (a == "-t") seconds = static_cast<double>(n);
            ++i;
        } else {
            ctx.err += "usage: caffeinate [-disu] [-t timeout] [-w pid] [utility arguments...]\n";
            return 1;
        }
    }
    ctx.sleep(std::min(seconds, kLongestCaffeinate));
    return 0;
}

int runSync(ToolContext&, const ToolArguments&) { return 0; }

int runSleep(ToolContext& ctx, const ToolArguments& args) {
    double seconds = -1;
    if (args.size() == 1 && !args[0].empty()) {
        char* end = nullptr;
        seconds = std::strtod(args[0].c_str(), &end);
        if (*end != '\0' || !std::isfinite(seconds)) seconds = -1;
    }
    if (seconds < 0) {
        ctx.err += "usage: sleep seconds\n";
        return 1;
    }
    ctx.sleep(seconds);
    return 0;
}

}  // namespace velmora::sim
