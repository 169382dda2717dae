#include "history/record/HistoryEvent.h"

#include <array>
#include <utility>

namespace velmora {

namespace {

constexpr std::array<std::pair<HistoryKind, std::string_view>, 9> kindNames{{
    {HistoryKind::connected, "connect"},
    {HistoryKind::ejected, "eject"},
    {HistoryKind::vanished, "vanish"},
    {HistoryKind::enumerationFailure, "enumeration-failure"},
    {HistoryKind::stabilityLevel, "stability-level"},
    {HistoryKind::recoveryScript, "recovery-script"},
    {HistoryKind::bridgeChip, "bridge-chip"},
    {HistoryKind::throughput, "throughput"},
    {HistoryKind::powerAssertion, "power-assertion"},
}};

}  // namespace

std::string_view historyKindName(HistoryKind kind) {
    for (const auto& [k, name] : kindNames) {
        if (k == kind) return name;
    }
    return "unknown";
}

std::optional<HistoryKind> historyKindNamed(std::string_view name) {
    for (const auto& [k, n] : kindNames) {
        if (n == name) return k;
    }
    return std::nullopt;
}

}  // namespace velmora
