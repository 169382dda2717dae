#include "history/store/HistoryDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <system_error>
#include <thread>

#include "history/store/HistoryStatement.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

bool isCorruption(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::int64_t millisecondsOf(Date time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

Date dateOfMilliseconds(std::int64_t ms) {
    return Date{} + std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(ms));
}

// Each step takes the schema from the version before it to its own. The
// first version had no numeric value; throughput samples and failure counts
// kept theirs only in the detail text, and 0 is what they get now.
constexpr const char* migrations[] = {
    // 1
    "CREATE TABLE events ("
    " id INTEGER PRIMARY KEY,"
    " time INTEGER NOT NULL,"  // milliseconds since 1970, UTC
    " disk TEXT NOT NULL,"
    " disk_name TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " detail TEXT NOT NULL,"
    " version TEXT NOT NULL);"
    "CREATE INDEX events_disk_time ON events(disk, time);",
    // 2: a number for the sparkline, and an index so the size cap finds the
    // oldest throughput samples without reading the whole file.
    "ALTER TABLE events ADD COLUMN value REAL NOT NULL DEFAULT 0;"
    "CREATE INDEX events_kind_time ON events(kind, time);",
};
static_assert(std::size(migrations) == HistoryDatabase::schemaVersion);

void moveIfThere(const std::string& from, const std::string& to) {
    std::error_code ignored;
    if (fs::exists(from, ignored)) fs::rename(from, to, ignored);
}

}  // namespace

std::string movedAsidePath(const std::string& path, Date now) {
    const std::time_t t = Clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    fs::path p(path);
    const std::string stem = (p.parent_path() / p.stem()).string() + ".corrupt-" + stamp;
    const std::string ext = p.extension().string();
    std::string candidate = stem + ext;
    std::error_code ignored;
    for (int n = 2; fs::exists(candidate, ignored); ++n) candidate = stem + "-" + std::to_string(n) + ext;
    return candidate;
}

HistoryDatabase::HistoryDatabase(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

HistoryDatabase::~HistoryDatabase() { sqlite3_close_v2(db_); }

bool HistoryDatabase::exec(const char* sql, std::string* error) const {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK && error) *error = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

std::optional<std::int64_t> HistoryDatabase::pragmaInteger(const char* sql) const {
    Statement statement(db_, sql);
    if (!statement || statement.step() != SQLITE_ROW) return std::nullopt;
    return statement.integer(0);
}

bool HistoryDatabase::migrate(std::string& error) {
    // The version is read inside the write transaction: the writer and a
    // reader (the window, an export) may open a new file at the same moment,
    // and the one that comes second must find the schema the first one made.
    if (!exec("BEGIN IMMEDIATE", &error)) return false;
    const auto fail = [this, &error](std::string why) {
        error = std::move(why);
        exec("ROLLBACK");
        return false;
    };
    const auto version = pragmaInteger("PRAGMA user_version");
    if (!version) return fail(sqlite3_errmsg(db_));
    if (*version > schemaVersion) {
        return fail("a newer Velmora wrote it (schema " + std::to_string(*version) + ", this one knows " +
                    std::to_string(schemaVersion) + ")");
    }
    for (auto step = *version; step < schemaVersion; ++step) {
        const std::string sql = migrations[step] + std::string("PRAGMA user_version = ") + std::to_string(step + 1);
        std::string why;
        if (!exec(sql.c_str(), &why)) return fail(why);
    }
    return exec("COMMIT", &error) || fail(error);
}

HistoryDatabase::Opened HistoryDatabase::tryOpen(const std::string& path, std::unique_ptr<HistoryDatabase>& out,
                                                 std::string& error) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto database = std::unique_ptr<HistoryDatabase>(new HistoryDatabase(db, path));
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        return isCorruption(rc) ? Opened::corrupt : Opened::failed;
    }
    sqlite3_extended_result_codes(db, 1);
    // An export reading at the same moment holds the file only briefly.
    sqlite3_busy_timeout(db, 2000);
    // Lets pruning give pages back to the file system, so the size cap bounds
    // the file and not just its contents. It takes only on a new file, before
    // anything (the switch to WAL included) has written to it; on any other
    // it changes nothing, and a damaged one is found just below.
    database->exec("PRAGMA auto_vacuum = INCREMENTAL");
    {
        // Switching a new file to WAL wants it alone, and SQLite answers busy
        // at once rather than wait when another connection opens it at the
        // same moment (the writer and the window's reader at a first start).
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        do {
            Statement mode(db, "PRAGMA journal_mode = WAL");
            rc = mode ? mode.step() : mode.code();
            if ((rc & 0xff) != SQLITE_BUSY) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < giveUp);
        if (rc != SQLITE_ROW) {
            error = sqlite3_errmsg(db);
            return isCorruption(rc) ? Opened::corrupt : Opened::failed;
        }
    }
    {
        Statement check(db, "PRAGMA quick_check");
        rc = check ? check.step() : check.code();
        if (rc != SQLITE_ROW) {
            error = sqlite3_errmsg(db);
            return isCorruption(rc) ? Opened::corrupt : Opened::failed;
        }
        if (check.text(0) != "ok") {
            error = check.text(0);
            return Opened::corrupt;
        }
    }
    // In WAL mode NORMAL loses nothing when the process dies; only a power
    // cut may take the last commits.
    database->exec("PRAGMA synchronous = NORMAL");
    database->exec("PRAGMA journal_size_limit = 1048576");
    if (!database->migrate(error)) {
        return isCorruption(sqlite3_errcode(db)) ? Opened::corrupt : Opened::failed;
    }
    out = std::move(database);
    return Opened::ok;
}

std::unique_ptr<HistoryDatabase> HistoryDatabase::open(const std::string& path, Diagnostics& diagnostics) {
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    std::unique_ptr<HistoryDatabase> database;
    std::string error;
    auto opened = tryOpen(path, database, error);
    if (opened == Opened::corrupt) {
        const std::string aside = movedAsidePath(path, Clock::now());
        database.reset();
        moveIfThere(path, aside);
        moveIfThere(path + "-wal", aside + "-wal");
        std::error_code removeError;
        fs::remove(path + "-shm", removeError);
        diagnostics.line("⚠️ Disk geçmişi okunamadı (" + error + "), kenara alındı: " + aside +
                         " - yeni bir geçmiş başlatıldı");
        opened = tryOpen(path, database, error);
    }
    if (opened != Opened::ok) {
        diagnostics.line("❌ Disk geçmişi açılamadı: " + path + " (" + error + ") - olaylar kaydedilmeyecek");
        return nullptr;
    }
    return database;
}

std::unique_ptr<HistoryDatabase> HistoryDatabase::openExisting(const std::string& path, std::string& error) {
    std::error_code ignored;
    if (!fs::is_regular_file(path, ignored)) {
        error = "no history at " + path;
        return nullptr;
    }
    std::unique_ptr<HistoryDatabase> database;
    if (tryOpen(path, database, error) != Opened::ok) return nullptr;
    return database;
}

bool HistoryDatabase::insert(const std::vector<HistoryEvent>& events) {
    corrupt_ = false;
    if (events.empty()) return true;
    const auto fail = [this](int code) {
        corrupt_ = isCorruption(code);
        exec("ROLLBACK");
        return false;
    };
    if (!exec("BEGIN IMMEDIATE")) return fail(sqlite3_errcode(db_));
    Statement statement(db_, "INSERT INTO events (time, disk, disk_name, kind, detail, value, version)"
                             " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    if (!statement) return fail(statement.code());
    for (const auto& event : events) {
        statement.bind(1, millisecondsOf(event.time));
        statement.bind(2, event.disk);
        statement.bind(3, event.diskName);
        statement.bind(4, std::string(historyKindName(event.kind)));
        statement.bind(5, event.detail);
        statement.bind(6, event.value);
        statement.bind(7, event.version);
        const int rc = statement.step();
        if (rc != SQLITE_DONE) return fail(rc);
        statement.reset();
    }
    if (!exec("COMMIT")) return fail(sqlite3_errcode(db_));
    return true;
}

std::vector<std::string> HistoryDatabase::identitiesNamed(const std::string& name) const {
    std::vector<std::string> found;
    Statement statement(db_, "SELECT DISTINCT disk FROM events WHERE disk_name = ?1 AND disk <> ''");
    if (!statement) return found;
    statement.bind(1, name);
    while (statement.step() == SQLITE_ROW) found.push_back(statement.text(0));
    return found;
}

std::optional<std::vector<HistoryEvent>> HistoryDatabase::events(const HistoryQuery& query, std::string* error) const {
    std::string sql = "SELECT time, disk, disk_name, kind, detail, value, version FROM events WHERE time >= ?1 AND time < ?2";
    std::vector<std::string> disks;
    if (query.disk) disks.push_back(*query.disk);
    if (query.nameOrDisk) {
        // Reads every row once; fine for an export, not for the window.
        for (auto& named : identitiesNamed(*query.nameOrDisk)) disks.push_back(std::move(named));
        disks.push_back(*query.nameOrDisk);
    }
    if (query.disk || query.nameOrDisk) {
        sql += " AND disk IN (";
        for (std::size_t i = 0; i < disks.size(); ++i) sql += (i ? ",?" : "?") + std::to_string(i + 3);
        sql += ")";
    }
    sql += " ORDER BY time, id";
    Statement statement(db_, sql.c_str());
    if (!statement) {
        if (error) *error = sqlite3_errmsg(db_);
        return std::nullopt;
    }
    statement.bind(1, query.since ? millisecondsOf(*query.since) : std::numeric_limits<std::int64_t>::min());
    statement.bind(2, query.until ? millisecondsOf(*query.until) : std::numeric_limits<std::int64_t>::max());
    for (std::size_t i = 0; i < disks.size(); ++i) statement.bind(static_cast<int>(i + 3), disks[i]);
    std::vector<HistoryEvent> found;
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        HistoryEvent event;
        event.time = dateOfMilliseconds(statement.integer(0));
        event.disk = statement.text(1);
        event.diskName = statement.text(2);
        // A kind this version does not know (a newer one wrote it) is skipped
        // rather than shown as something it is not.
        const auto kind = historyKindNamed(statement.text(3));
        if (!kind) continue;
        event.kind = *kind;
        event.detail = statement.text(4);
        event.value = statement.real(5);
        event.version = statement.text(6);
        found.push_back(std::move(event));
    }
    if (rc != SQLITE_DONE) {
        if (error) *error = sqlite3_errmsg(db_);
        return std::nullopt;
    }
    return found;
}

std::int64_t HistoryDatabase::sizeInBytes() const {
    const auto pages = pragmaInteger("PRAGMA page_count");
    const auto pageSize = pragmaInteger("PRAGMA page_size");
    return pages && pageSize ? *pages * *pageSize : 0;
}

void HistoryDatabase::compact() {
    exec("PRAGMA incremental_vacuum");
    exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

std::size_t HistoryDatabase::deleteOldest(const char* kindFilter, std::int64_t count) {
    Statement statement(db_, kindFilter ? "DELETE FROM events WHERE id IN (SELECT id FROM events WHERE kind = ?2"
                                          " ORDER BY time, id LIMIT ?1)"
                                        : "DELETE FROM events WHERE id IN (SELECT id FROM events"
                                          " ORDER BY time, id LIMIT ?1)");
    if (!statement) return 0;
    statement.bind(1, count);
    if (kindFilter) statement.bind(2, std::string(kindFilter));
    if (statement.step() != SQLITE_DONE) return 0;
    return static_cast<std::size_t>(sqlite3_changes(db_));
}

std::size_t HistoryDatabase::prune(Date now, const HistoryLimits& limits) {
    std::size_t dropped = 0;
    {
        Statement old(db_, "DELETE FROM events WHERE time < ?1");
        if (old) {
            old.bind(1, millisecondsOf(addSeconds(now, -limits.maxAgeSeconds)));
            if (old.step() == SQLITE_DONE) dropped += static_cast<std::size_t>(sqlite3_changes(db_));
        }
    }
    compact();
    // Small steps, so what is dropped is not much more than the cap asks.
    while (sizeInBytes() > limits.maxBytes) {
        const auto rows = pragmaInteger("SELECT count(*) FROM events").value_or(0);
        const std::int64_t step = std::max<std::int64_t>(32, rows / 32);
        std::size_t n = deleteOldest(historyKindName(HistoryKind::throughput).data(), step);
        if (n == 0) n = deleteOldest(nullptr, step);
        if (n == 0) break;
        dropped += n;
        compact();
    }
    return dropped;
}

}  // namespace velmora
