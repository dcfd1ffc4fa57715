#include "BrimlockCore/Database/SQLiteStatement.h"

#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "Platform/Foundation/UnicodeText.h"

#include <limits>
#include <type_traits>
#include <variant>

namespace brimlock {

SQLiteStatement::SQLiteStatement(sqlite3* db, const char* sql) : db_(db) {
    const int result = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
    if (result != SQLITE_OK || statement_ == nullptr) {
        sqlite3_finalize(statement_);
        throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed, sqlite3_errmsg(db));
    }
}

void SQLiteStatement::bind(int index, const FCPDatabaseConnection::Parameter& parameter) {
    std::visit(
        [&](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::int64_t>) {
                sqlite3_bind_int64(statement_, index, value);
            } else if constexpr (std::is_same_v<T, std::string>) {
                // Bound up to its first NUL, like a C string; SQLite copies it.
                sqlite3_bind_text(statement_, index, value.c_str(), -1, SQLITE_TRANSIENT);
            } else if constexpr (std::is_same_v<T, double>) {
                sqlite3_bind_double(statement_, index, value);
            } else if constexpr (std::is_same_v<T, Data>) {
                if (value.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
                    sqlite3_bind_null(statement_, index);
                } else {
                    sqlite3_bind_blob(statement_, index, value.data(), static_cast<int>(value.size()),
                                      SQLITE_TRANSIENT);
                }
            } else {
                sqlite3_bind_null(statement_, index);
            }
        },
        parameter);
}

bool SQLiteStatement::step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    const std::string message = sqlite3_errmsg(db_);
    reset();
    throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed, message);
}

namespace column {

std::optional<std::string_view> storedText(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_TEXT) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (text == nullptr) return std::nullopt;
    return std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::optional<std::string> text(sqlite3_stmt* statement, int column) {
    const auto stored = storedText(statement, column);
    if (!stored) return std::nullopt;
    return platform::sanitizedUTF8(*stored);
}

std::optional<std::span<const std::uint8_t>> blobBytes(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_BLOB) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
    if (bytes == nullptr) return std::nullopt;
    return std::span(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::optional<Data> blob(sqlite3_stmt* statement, int column) {
    const auto bytes = blobBytes(statement, column);
    if (!bytes) return std::nullopt;
    return Data(bytes->begin(), bytes->end());
}

std::optional<std::int64_t> integer(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER) return std::nullopt;
    return sqlite3_column_int64(statement, column);
}

}  // namespace column

}  // namespace brimlock
