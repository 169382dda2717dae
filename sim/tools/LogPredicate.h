#pragma once
// The part of the unified log's predicate language the program uses:
// comparisons of eventMessage (also composedMessage, process, subsystem,
// category) with a quoted text by CONTAINS, BEGINSWITH, ENDSWITH, == and !=
// ([c] for case-insensitive), joined by AND, OR, NOT and parentheses.
// Keywords are case-insensitive; comparisons are case-sensitive unless [c].
#include <memory>
#include <optional>
#include <string>

#include "sim/state/MachineState.h"

namespace velmora::sim {

class LogPredicate {
public:
    struct Node;
    static std::optional<LogPredicate> parse(const std::string& text, std::string& error);

    bool matches(const LogEntry& entry) const;
    // The canonical text log prints in "Filtering the log data using …".
    std::string description() const;

    LogPredicate(LogPredicate&&) noexcept;
    LogPredicate& operator=(LogPredicate&&) noexcept;
    ~LogPredicate();

private:
    explicit LogPredicate(std::unique_ptr<Node> root);
    std::unique_ptr<Node> root_;
};

}  // namespace velmora::sim
