#include "sim/life/LifeHistory.h"

#include <set>
#include <tuple>

#include "history/store/HistoryDatabase.h"
#include "history/record/HistoryExport.h"

namespace velmora::life {

namespace {

using Key = std::tuple<std::int64_t, std::string, HistoryKind, std::string>;

Key keyOf(const HistoryEvent& e) {
    return {std::chrono::duration_cast<std::chrono::milliseconds>(e.time.time_since_epoch()).count(), e.disk, e.kind,
            e.detail};
}

}  // namespace

std::vector<std::string> historyMissing(const std::vector<HistoryEvent>& owed, const std::string& path) {
    std::vector<std::string> missing;
    if (owed.empty()) return missing;
    std::string error;
    auto database = HistoryDatabase::openExisting(path, error);
    const auto stored = database ? database->events({}, &error) : std::nullopt;
    if (!stored) return {"history unreadable: " + error};
    std::multiset<Key> present;
    for (const auto& e : *stored) present.insert(keyOf(e));
    for (const auto& e : owed) {
        if (e.kind == HistoryKind::throughput) continue;
        const auto found = present.find(keyOf(e));
        if (found != present.end()) {
            present.erase(found);
            continue;
        }
        missing.push_back(utcTimestamp(e.time) + " " + std::string(historyKindName(e.kind)) + " " + e.diskName +
                          " (" + e.detail + ")");
    }
    return missing;
}

}  // namespace velmora::life
