// Cost of the disks' history: writing 100,000 events the way the writer does
// (one transaction per round; a round of 500 here is far more than the
// program ever gathers in half a second), and reading the window's view,
// one disk's last 7 days, out of a full file of 90 days and 8 disks.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "history/store/HistoryDatabase.h"

namespace {

using namespace velmora;

constexpr int kEvents = 100000;
constexpr int kDisks = 8;
const Date kNow = dateFromSeconds(1767225600.0 + 90 * 86400.0);

std::string freshFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/History.sqlite";
}

// Spread evenly over the last 90 days, across the disks; mostly throughput,
// as a real file is.
std::vector<HistoryEvent> events() {
    std::vector<HistoryEvent> all;
    all.reserve(kEvents);
    const double span = 90 * 86400.0;
    for (int i = 0; i < kEvents; ++i) {
        HistoryEvent e;
        e.time = addSeconds(kNow, -span + span * i / kEvents);
        const int disk = i % kDisks;
        e.disk = "media:Disk " + std::to_string(disk) + "|" + std::to_string(500107862016LL + disk);
        e.diskName = "Disk " + std::to_string(disk);
        e.kind = i % 10 == 0 ? HistoryKind::vanished : HistoryKind::throughput;
        e.detail = e.kind == HistoryKind::throughput ? "312.4 MB/s" : "disk" + std::to_string(4 + disk);
        e.value = 312.4;
        e.version = "0.1";
        all.push_back(std::move(e));
    }
    return all;
}

void fill(HistoryDatabase& db, const std::vector<HistoryEvent>& all) {
    constexpr std::size_t round = 500;
    for (std::size_t i = 0; i < all.size(); i += round) {
        const std::vector<HistoryEvent> batch(all.begin() + i, all.begin() + std::min(all.size(), i + round));
        if (!db.insert(batch)) std::abort();
    }
}

void BM_HistoryWrite100kEvents(benchmark::State& state) {
    const auto all = events();
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = freshFile();
        CapturingDiagnostics say;
        auto db = HistoryDatabase::open(path, say);
        state.ResumeTiming();
        fill(*db, all);
        state.PauseTiming();
        db.reset();
        std::filesystem::remove_all(std::filesystem::path(path).parent_path());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}
BENCHMARK(BM_HistoryWrite100kEvents)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HistoryRead7DaysOfOneDisk(benchmark::State& state) {
    const std::string path = freshFile();
    CapturingDiagnostics say;
    auto db = HistoryDatabase::open(path, say);
    fill(*db, events());
    HistoryQuery query;
    query.disk = "media:Disk 3|500107862019";
    query.since = addSeconds(kNow, -7 * 86400.0);
    std::size_t found = 0;
    for (auto _ : state) {
        const auto week = db->events(query);
        found = week ? week->size() : 0;
        benchmark::DoNotOptimize(found);
    }
    state.counters["events"] = static_cast<double>(found);
    db.reset();
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_HistoryRead7DaysOfOneDisk)->Unit(benchmark::kMillisecond);

}  // namespace
