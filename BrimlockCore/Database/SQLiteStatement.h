#pragma once

// For the .cpp files of this folder only: includers of the connection never see SQLite.

#include "BrimlockCore/Database/FCPDatabaseConnection.h"

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brimlock {

// A prepared statement, finalised when destroyed. Throws FCPDatabaseError(queryFailed) when it cannot
// be prepared.
class SQLiteStatement {
public:
    SQLiteStatement(sqlite3* db, const char* sql);
    ~SQLiteStatement() { sqlite3_finalize(statement_); }
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;

    sqlite3_stmt* get() const noexcept { return statement_; }

    void bind(int index, const FCPDatabaseConnection::Parameter& parameter);

    // Steps to the next row: true for a row, false when the statement is done. Anything else throws
    // FCPDatabaseError(queryFailed), leaving the statement reset: a truncated result never passes for
    // a complete one.
    bool step();

    void reset() noexcept {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    // Resets the statement however a run ends, so that a statement kept for reuse is ready again.
    class Run {
    public:
        explicit Run(SQLiteStatement& statement) noexcept : statement_(statement) {}
        ~Run() { statement_.reset(); }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        SQLiteStatement& statement_;
    };

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// Column readers; a column of another type, or NULL, gives nothing.
namespace column {

// A text column's bytes as stored, valid until the statement steps or resets.
std::optional<std::string_view> storedText(sqlite3_stmt* statement, int column);
// The same made well-formed UTF-8: ill-formed bytes become U+FFFD.
std::optional<std::string> text(sqlite3_stmt* statement, int column);
// The column's bytes, valid until the statement steps or resets. Nothing for a zero-length blob,
// which SQLite reports as a null pointer.
std::optional<std::span<const std::uint8_t>> blobBytes(sqlite3_stmt* statement, int column);
std::optional<Data> blob(sqlite3_stmt* statement, int column);
std::optional<std::int64_t> integer(sqlite3_stmt* statement, int column);

}  // namespace column

}  // namespace brimlock
