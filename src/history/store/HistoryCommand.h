#pragma once
// `velmora history [--machine DIR] [--disk NAME] [--since DATE] [--csv|--json]`:
// the history file's events on standard output, for a support request.
// Errors go to standard error, so a redirected export never holds them.
#include <optional>
#include <ostream>
#include <string>
#include <variant>

namespace velmora {

struct HistoryCommandOptions {
    std::optional<std::string> machine;
    std::optional<std::string> disk;   // a media name, or an identity as the export shows it
    std::optional<std::string> since;  // as parseUtcDate takes it
    bool json = false;
};

struct HistoryCommandUsage {
    int status = 0;  // 0 for --help, 2 for a command line that cannot be used
    std::string problem;
};

std::string historyUsageText();
// The arguments after "history". `machine` starts as $VELMORA_MACHINE when that is set.
std::variant<HistoryCommandOptions, HistoryCommandUsage> parseHistoryCommand(int argc, const char* const* argv);
// Writes the export of the file at `path`; the exit status.
int runHistoryExport(const HistoryCommandOptions& options, const std::string& path, std::ostream& out,
                     std::ostream& err);

}  // namespace velmora
