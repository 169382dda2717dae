#include "history/store/HistoryCommand.h"

#include <cstdlib>

#include "history/store/HistoryDatabase.h"
#include "history/record/HistoryExport.h"

namespace velmora {

std::string historyUsageText() {
    return "usage: velmora history [--machine DIR] [--disk NAME] [--since DATE] [--csv|--json]\n"
           "  --machine DIR  the simulated Mac whose history to read (default: as velmora itself)\n"
           "  --disk NAME    only this disk: its media name, or its identity as the export shows it\n"
           "  --since DATE   only from this moment on, in UTC: 2026-12-01, 2026-12-01T09:30 or 2026-12-01T09:30:00\n"
           "  --csv, --json  the format (default: CSV)\n";
}

std::variant<HistoryCommandOptions, HistoryCommandUsage> parseHistoryCommand(int argc, const char* const* argv) {
    HistoryCommandOptions options;
    if (const char* env = std::getenv("VELMORA_MACHINE"); env && *env) options.machine = env;
    bool formatGiven = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") return HistoryCommandUsage{0, ""};
        if (arg == "--machine" && hasValue) {
            options.machine = argv[++i];
        } else if (arg == "--disk" && hasValue) {
            options.disk = argv[++i];
        } else if (arg == "--since" && hasValue) {
            options.since = argv[++i];
            if (!parseUtcDate(*options.since)) return HistoryCommandUsage{2, "not a date: " + *options.since};
        } else if (arg == "--csv" || arg == "--json") {
            if (formatGiven) return HistoryCommandUsage{2, "one of --csv and --json"};
            formatGiven = true;
            options.json = arg == "--json";
        } else {
            return HistoryCommandUsage{2, "not understood: " + arg};
        }
    }
    return options;
}

int runHistoryExport(const HistoryCommandOptions& options, const std::string& path, std::ostream& out,
                     std::ostream& err) {
    std::string error;
    auto database = HistoryDatabase::openExisting(path, error);
    if (!database) {
        err << "velmora history: " << error << "\n";
        return 1;
    }
    HistoryQuery query;
    query.nameOrDisk = options.disk;
    if (options.since) query.since = parseUtcDate(*options.since);
    const auto events = database->events(query, &error);
    if (!events) {
        err << "velmora history: cannot read " << path << ": " << error << "\n";
        return 1;
    }
    out << (options.json ? historyAsJson(*events) : historyAsCsv(*events));
    out.flush();
    return out ? 0 : 1;
}

}  // namespace velmora
