#pragma once
// One entry of a disk's stability history: when, which disk (by its stable
// identity, never by its diskN name), what kind of thing happened, a short
// detail, and the program version that saw it.
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Date.h"

namespace velmora {

enum class HistoryKind {
    connected,
    ejected,             // gone with no volume of it mounted at the last sighting
    vanished,            // gone while a volume of it was still mounted
    enumerationFailure,  // `value` is the count the log gave
    stabilityLevel,
    recoveryScript,
    bridgeChip,
    throughput,          // `value` is read plus write speed in MB/s
    powerAssertion,
};

// The names stored in the file and written by the exports; they never change
// once released, since older files hold them.
std::string_view historyKindName(HistoryKind kind);
std::optional<HistoryKind> historyKindNamed(std::string_view name);

struct HistoryEvent {
    Date time;
    std::string disk;      // the stable identity; empty for what concerns the whole machine
    std::string diskName;  // the media name as the user knows it
    HistoryKind kind = HistoryKind::connected;
    std::string detail;
    double value = 0;
    std::string version;   // stamped by the writer when empty

    bool operator==(const HistoryEvent&) const = default;
};

}  // namespace velmora
