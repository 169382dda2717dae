#pragma once
// One prepared SQLite statement, finalized when it goes. Values reach SQL only
// through bind(), never through the statement's text.
#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace velmora {

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : code_(sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr)) {}
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return statement_ != nullptr && code_ == SQLITE_OK; }
    int code() const { return code_; }

    void bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    void bind(int index, double value) { sqlite3_bind_double(statement_, index, value); }
    void bind(int index, const std::string& value) {
        sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    int step() { return code_ = sqlite3_step(statement_); }
    void reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
    double real(int column) const { return sqlite3_column_double(statement_, column); }
    std::string text(int column) const {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
    }

private:
    sqlite3_stmt* statement_ = nullptr;
    int code_;
};

}  // namespace velmora
