#pragma once
// The history as text for a support request: CSV (one header line, then one
// line per event) or JSON (an array of objects), oldest first, times in UTC.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/record/HistoryEvent.h"

namespace velmora {

std::string historyAsCsv(const std::vector<HistoryEvent>& events);
std::string historyAsJson(const std::vector<HistoryEvent>& events);

// "2026-12-10T06:15:00.250Z".
std::string utcTimestamp(Date time);
// "2026-12-10", "2026-12-10T06:15", "2026-12-10T06:15:00" with an optional
// trailing "Z", all in UTC; empty for anything else (a date that does not
// exist included).
std::optional<Date> parseUtcDate(std::string_view text);

}  // namespace velmora
