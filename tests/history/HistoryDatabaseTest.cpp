// The history file: its schema, a damaged file, the limits and the queries.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "foundation/data/TemporaryFolder.h"
#include "history/store/HistoryDatabase.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

const Date start = dateFromSeconds(1767225600.0);  // 2026-01-01T00:00:00Z

HistoryEvent event(double atSeconds, std::string disk, HistoryKind kind = HistoryKind::connected,
                   std::string name = "Travel SSD") {
    HistoryEvent e;
    e.time = addSeconds(start, atSeconds);
    e.disk = std::move(disk);
    e.diskName = std::move(name);
    e.kind = kind;
    e.detail = "d";
    e.version = "0.1";
    return e;
}

std::vector<HistoryEvent> all(const HistoryDatabase& db) { return db.events({}).value(); }

TEST(HistoryDatabase, AFileOfTheFirstSchemaIsBroughtUpToDateWithItsEventsKept) {
    TemporaryFolder folder;
    const std::string path = folder.path() + "/History.sqlite";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "PRAGMA journal_mode=WAL;"
                               "CREATE TABLE events (id INTEGER PRIMARY KEY, time INTEGER NOT NULL, disk TEXT NOT NULL,"
                               " disk_name TEXT NOT NULL, kind TEXT NOT NULL, detail TEXT NOT NULL, version TEXT NOT NULL);"
                               "CREATE INDEX events_disk_time ON events(disk, time);"
                               "INSERT INTO events (time, disk, disk_name, kind, detail, version)"
                               " VALUES (1767225600000, 'media:Old|1', 'Old', 'vanish', 'gone', '0.0');"
                               "PRAGMA user_version = 1;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    CapturingDiagnostics say;
    auto db = HistoryDatabase::open(path, say);
    ASSERT_TRUE(db);
    const auto events = all(*db);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, HistoryKind::vanished);
    EXPECT_EQ(events[0].diskName, "Old");
    EXPECT_EQ(events[0].value, 0);
    // The new column takes values from now on.
    auto sample = event(60, "media:Old|1", HistoryKind::throughput);
    sample.value = 42.5;
    ASSERT_TRUE(db->insert({sample}));
    EXPECT_EQ(all(*db).back().value, 42.5);
    EXPECT_TRUE(say.lines().empty());
}

TEST(HistoryDatabase, AFileThatCannotBeReadIsMovedAsideSaidAndANewOneStarted) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    // A header SQLite refuses, and a real database file whose pages were overwritten.
    std::string damaged;
    {
        TemporaryFolder scratch;
        const std::string good = scratch.path() + "/good.sqlite";
        {
            CapturingDiagnostics say;
            auto db = HistoryDatabase::open(good, say);
            std::vector<HistoryEvent> many;
            for (int i = 0; i < 2000; ++i) many.push_back(event(i, "media:A|1"));
            ASSERT_TRUE(db->insert(many));
            db->prune(start, {});  // checkpoints the log into the file
        }
        std::ifstream in(good, std::ios::binary);
        damaged.assign(std::istreambuf_iterator<char>(in), {});
        for (std::size_t i = 4096; i < damaged.size(); i += 7) damaged[i] = static_cast<char>(0xA5);
    }
    for (const Case& c : {Case{"not a database", std::string(8192, 'x')}, Case{"overwritten pages", damaged}}) {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        const std::string path = folder.path() + "/History.sqlite";
        std::ofstream(path, std::ios::binary) << c.bytes;
        CapturingDiagnostics say;
        auto db = HistoryDatabase::open(path, say);
        ASSERT_TRUE(db);
        EXPECT_TRUE(all(*db).empty());
        EXPECT_TRUE(db->insert({event(0, "media:A|1")}));
        ASSERT_EQ(say.lines().size(), 1u);
        EXPECT_NE(say.lines()[0].find("⚠️ Disk geçmişi okunamadı"), std::string::npos) << say.lines()[0];
        // The damaged bytes are kept, whole, where the line says.
        std::size_t asideFiles = 0;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".corrupt-") == std::string::npos || name.ends_with("-wal")) continue;
            ++asideFiles;
            EXPECT_NE(say.lines()[0].find(entry.path().string()), std::string::npos);
            EXPECT_EQ(fs::file_size(entry.path()), c.bytes.size());
        }
        EXPECT_EQ(asideFiles, 1u);
    }
}

TEST(HistoryDatabase, PruningDropsWhatIsOlderThanTheAgeLimitThenTheOldestThroughputFirst) {
    TemporaryFolder folder;
    CapturingDiagnostics say;
    auto db = HistoryDatabase::open(folder.path() + "/History.sqlite", say);
    const double day = 24 * 3600;
    std::vector<HistoryEvent> events{event(0, "media:A|1", HistoryKind::vanished),  // 91 days before "now"
                                     event(2 * day, "media:A|1", HistoryKind::vanished)};
    for (int i = 0; i < 3000; ++i) {
        auto sample = event(2 * day + 60.0 * i, "media:A|1", HistoryKind::throughput);
        sample.detail = std::string(100, 't');
        events.push_back(sample);
    }
    events.push_back(event(3 * day, "media:A|1", HistoryKind::enumerationFailure));
    ASSERT_TRUE(db->insert(events));
    const Date now = addSeconds(start, 91 * day);

    // The age limit alone.
    EXPECT_EQ(db->prune(now, {}), 1u);
    EXPECT_EQ(all(*db).size(), events.size() - 1);

    // The size cap: throughput goes, oldest first, and every other event stays.
    const HistoryLimits small{90 * day, 128 * 1024};
    ASSERT_GT(db->sizeInBytes(), small.maxBytes);
    db->prune(now, small);
    EXPECT_LE(db->sizeInBytes(), small.maxBytes);
    const auto left = all(*db);
    std::size_t samples = 0;
    for (const auto& e : left) samples += e.kind == HistoryKind::throughput;
    EXPECT_EQ(left.size() - samples, 2u) << "the disconnect and the failure are kept";
    ASSERT_GT(samples, 0u) << "only as many samples go as the cap needs";
    EXPECT_EQ(left.back().kind, HistoryKind::throughput) << "the newest samples stay";
    EXPECT_LT(samples, 3000u);
    // The file on disk shrinks too, not only its contents.
    EXPECT_LE(static_cast<std::int64_t>(fs::file_size(db->path())), small.maxBytes);
}

TEST(HistoryDatabase, QueriesSelectByIdentityOrNameAndByTimeWithNamesTakenAsValuesOnly) {
    TemporaryFolder folder;
    CapturingDiagnostics say;
    auto db = HistoryDatabase::open(folder.path() + "/History.sqlite", say);
    const std::string hostile = "x'); DROP TABLE events; --";
    ASSERT_TRUE(db->insert({event(0, "media:Travel SSD|1", HistoryKind::connected),
                            event(10, "usb:SER1", HistoryKind::connected, "Travel SSD"),
                            event(20, "media:Other|2", HistoryKind::connected, "Other"),
                            event(30, "media:" + hostile + "|3", HistoryKind::connected, hostile),
                            event(40, "usb:SER1", HistoryKind::ejected, "Travel SSD")}));
    // An empty disk is no filter; a negative bound is none.
    struct Case {
        std::string disk;
        double since, until;
        std::vector<double> expectedSeconds;
    };
    const std::vector<Case> cases{
        {"", -1, -1, {0, 10, 20, 30, 40}},
        {"usb:SER1", -1, -1, {10, 40}},
        {"Travel SSD", -1, -1, {0, 10, 40}},  // every identity that carried the name
        {"Travel SSD", 10, 40, {10}},
        {hostile, -1, -1, {30}},
        {"Nobody", -1, -1, {}},
    };
    // The window's own question: one identity, through the index.
    HistoryQuery exact;
    exact.disk = "usb:SER1";
    EXPECT_EQ(db->events(exact).value().size(), 2u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.disk);
        HistoryQuery query;
        if (!c.disk.empty()) query.nameOrDisk = c.disk;
        if (c.since >= 0) query.since = addSeconds(start, c.since);
        if (c.until >= 0) query.until = addSeconds(start, c.until);
        const auto found = db->events(query).value();
        std::vector<double> seconds;
        for (const auto& e : found) seconds.push_back(secondsBetween(start, e.time));
        EXPECT_EQ(seconds, c.expectedSeconds);
    }
}

}  // namespace
}  // namespace velmora
