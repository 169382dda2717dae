// log show: the machine's log entries from a start time on, filtered by a
// predicate, in syslog or default style, with the lines log prints around them.
#include <algorithm>
#include <cstdio>

#include "sim/tools/LocalTime.h"
#include "sim/tools/LogPredicate.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "usage:\n"
    "    log <command>\n"
    "\n"
    "global options:\n"
    "    -?, --help\n"
    "    -q, --quiet\n"
    "    -v, --verbose\n"
    "\n"
    "for further help, see: log help <command>\n"
    "\n"
    "commands:\n"
    "    collect         gather system logs into a log archive\n"
    "    config          view/change logging system settings\n"
    "    erase           delete system logging data\n"
    "    show            view/search system logs\n"
    "    stream          watch live system logs\n"
    "    stats           show system logging statistics\n";

std::string senderOf(const LogEntry& entry) {
    if (entry.process == "kernel" && entry.message.find("USB") != std::string::npos) return "(IOUSBHostFamily) ";
    return "";
}

std::string syslogLine(const LogEntry& entry) {
    return LocalTime::logTimestamp(entry.time) + "  localhost " + entry.process + "[" + std::to_string(entry.pid) +
           "]: " + senderOf(entry) + entry.message + "\n";
}

std::string defaultLine(const LogEntry& entry) {
    char thread[24];
    std::snprintf(thread, sizeof thread, "0x%-8x", static_cast<unsigned>(text::stableHash(entry.message) % 0x10000));
    return LocalTime::logTimestamp(entry.time) + " " + thread + " Default     0x0                  " +
           text::padRight(std::to_string(entry.pid), 6) + " 0    " + entry.process + ": " + senderOf(entry) +
           entry.message + "\n";
}

std::optional<double> lastInterval(const std::string& text) {
    if (text.size() < 2) return std::nullopt;
    long long n = 0;
    if (!text::parseInteger(text.substr(0, text.size() - 1), n) || n < 0) return std::nullopt;
    switch (text.back()) {
        case 's': return static_cast<double>(n);
        case 'm': return n * 60.0;
        case 'h': return n * 3600.0;
        case 'd': return n * 86400.0;
        default: return std::nullopt;
    }
}

int show(ToolContext& ctx, const ToolArguments& args) {
    std::optional<LogPredicate> predicate;
    std::optional<double> start;
    std::optional<double> end;
    std::string style = "default";
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--predicate" && hasValue) {
            std::string error;
            predicate = LogPredicate::parse(args[++i], error);
            if (!predicate) {
                ctx.err += "log: Couldn't create predicate: " + error + "\n";
                return 65;
            }
        } else if ((a == "--start" || a == "--end") && hasValue) {
            auto when = LocalTime::parse(args[++i]);
            if (!when) {
                ctx.err += "log: could not parse date: " + args[i] + "\n";
                return 64;
            }
            (a == "--start" ? start : end) = when;
        } else if (a == "--last" && hasValue) {
            auto interval = lastInterval(args[++i]);
            if (!interval) {
                ctx.err += "log: could not parse time interval: " + args[i] + "\n";
                return 64;
            }
            start = ctx.now() - *interval;
        } else if (a == "--style" && hasValue) {
            style = args[++i];
            if (style != "default" && style != "syslog" && style != "compact" && style != "json" && style != "ndjson") {
                ctx.err += "log: invalid style: " + style + "\n";
                return 64;
            }
        } else if (a == "--info" || a == "--debug" || a == "--signpost" || a == "--source" || a == "--no-pager") {
            continue;
        } else if (!a.empty() && a[0] == '-') {
            ctx.err += "log: unrecognized option: " + a + "\n" + kUsage;
            return 64;
        } else {
            ctx.err += "log: Could not open log archive: " + a + "\n";
            return 65;
        }
    }

    std::vector<const LogEntry*> entries;
    for (const auto& entry : ctx.state().log) {
        if (start && entry.time < *start) continue;
        if (end && entry.time > *end) continue;
        if (predicate && !predicate->matches(entry)) continue;
        entries.push_back(&entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](auto* a, auto* b) { return a->time < b->time; });

    if (predicate) ctx.out += "Filtering the log data using \"" + predicate->description() + "\"\n";
    ctx.out += "Skipping info and debug messages, pass --info and/or --debug to include.\n";
    bool syslog = style == "syslog";
    ctx.out += syslog ? "Timestamp                       (process)[PID]    \n"
                      : "Timestamp                       Thread     Type        Activity             PID    TTL  \n";
    for (const LogEntry* entry : entries) ctx.out += syslog ? syslogLine(*entry) : defaultLine(*entry);
    if (!syslog) {
        ctx.out += "--------------------------------------------------------------------------------------------------------------------\n";
        ctx.out += "Log      - Default:          " + text::padRight(std::to_string(entries.size()) + ",", 6) +
                   "Info:                0, Debug:             0, Error:          0, Fault:          0\n";
        ctx.out += "Activity - Create:           0, Transition:          0, Actions:           0\n";
    }
    return 0;
}

}  // namespace

int runLog(ToolContext& ctx, const ToolArguments& args) {
    if (args.empty()) {
        ctx.err += kUsage;
        return 64;
    }
    if (args[0] == "show") return show(ctx, args);
    if (args[0] == "help" || args[0] == "--help" || args[0] == "-?") {
        ctx.out += kUsage;
        return 0;
    }
    ctx.err += "log: unknown command: " + args[0] + "\n" + kUsage;
    return 64;
}

}  // namespace velmora::sim
