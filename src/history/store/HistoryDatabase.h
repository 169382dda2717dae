#pragma once
// The history file: one SQLite database in write-ahead-log mode. Opening it
// brings an older schema up to date, and a file SQLite cannot read (or whose
// check fails) is moved aside with a line saying where, and a new one is
// started, so a damaged file never stops the recording.
//
// Not thread-safe: one owner thread (the writer's queue, or a reader's own).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Date.h"
#include "foundation/diagnostics/Diagnostics.h"
#include "history/record/HistoryEvent.h"

struct sqlite3;

namespace velmora {

struct HistoryLimits {
    double maxAgeSeconds = 90.0 * 24 * 3600;
    std::int64_t maxBytes = 20 * 1024 * 1024;
};

struct HistoryQuery {
    std::optional<std::string> disk;      // one identity: what the window asks, through the index
    std::optional<std::string> nameOrDisk;  // a media name (every identity that had it) or an identity
    std::optional<Date> since;
    std::optional<Date> until;
};

class HistoryDatabase {
public:
    static constexpr int schemaVersion = 2;

    // Opens or creates the file at `path` (its folder is made). Empty, after
    // a line saying why, when no database can be had there at all.
    static std::unique_ptr<HistoryDatabase> open(const std::string& path, Diagnostics& diagnostics);
    // For export: an existing file as it is, never moved or migrated; empty
    // with `error` set when it is missing, unreadable or of a newer version.
    static std::unique_ptr<HistoryDatabase> openExisting(const std::string& path, std::string& error);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // One transaction; false (and nothing written) on failure. A failure
    // because the file went bad is marked so the owner can start anew.
    bool insert(const std::vector<HistoryEvent>& events);
    bool lastFailureWasCorruption() const { return corrupt_; }

    // Oldest first; empty with `error` set when the file cannot be read.
    std::optional<std::vector<HistoryEvent>> events(const HistoryQuery& query, std::string* error = nullptr) const;

    // Drops what is older than the age limit, then, while the file is over
    // its size limit, the oldest throughput samples and after them the
    // oldest events of any kind. Returns the number of events dropped.
    std::size_t prune(Date now, const HistoryLimits& limits);
    // Bytes the database's pages take (the write-ahead log aside).
    std::int64_t sizeInBytes() const;

    const std::string& path() const { return path_; }

private:
    HistoryDatabase(sqlite3* db, std::string path);
    enum class Opened { ok, corrupt, failed };
    static Opened tryOpen(const std::string& path, std::unique_ptr<HistoryDatabase>& out, std::string& error);
    bool migrate(std::string& error);
    bool exec(const char* sql, std::string* error = nullptr) const;
    std::optional<std::int64_t> pragmaInteger(const char* sql) const;
    std::size_t deleteOldest(const char* kindFilter, std::int64_t count);
    void compact();
    std::vector<std::string> identitiesNamed(const std::string& name) const;

    sqlite3* db_;
    std::string path_;
    bool corrupt_ = false;
};

// Where a damaged file went: beside it, named for the moment it was found.
std::string movedAsidePath(const std::string& path, Date now);

}  // namespace velmora
