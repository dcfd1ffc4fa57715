#include "BrimlockCore/Database/FCPDatabaseConnection.h"

#include "BrimlockCore/Database/BlobDecoder.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "Foundation/UnicodeText.h"

#include <sqlite3.h>

#include <limits>
#include <type_traits>

namespace brimlock {

namespace {

constexpr int kBusyTimeoutMilliseconds = 1000;

// SQLite's URI syntax reserves these three characters inside the path.
std::string uriFilename(const std::string& path) {
    std::string uri = "file:";
    for (const char c : path) {
        switch (c) {
        case '%': uri += "%25"; break;
        case '?': uri += "%3F"; break;
        case '#': uri += "%23"; break;
        default: uri += c;
        }
    }
    return uri + "?immutable=1";
}

std::optional<std::string> textColumn(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_TEXT) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (text == nullptr) return std::nullopt;
    const auto length = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    return platform::sanitizedUTF8(std::string_view(text, length));
}

std::optional<Data> blobColumn(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_BLOB) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
    if (bytes == nullptr) return std::nullopt;  // how SQLite reports a zero-length blob
    const auto length = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    return Data(bytes, bytes + length);
}

std::optional<std::int64_t> integerColumn(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER) return std::nullopt;
    return sqlite3_column_int64(statement, column);
}

}  // namespace

// A prepared statement that is reset after each run, so the fixed queries prepare once per connection.
class FCPDatabaseConnection::Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        const int result = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
        if (result != SQLITE_OK || statement_ == nullptr) {
            sqlite3_finalize(statement_);
            throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed, sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const noexcept { return statement_; }

    void bind(int index, const Parameter& parameter) {
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

    // Steps to the next row: true for a row, false when the statement is done. Anything else throws,
    // leaving the statement reset.
    bool step() {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) return true;
        if (result == SQLITE_DONE) return false;
        const std::string message = sqlite3_errmsg(db_);
        reset();
        throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed, message);
    }

    void reset() noexcept {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    // Resets the statement however a run ends, so the cached statement is ready for the next one.
    class Run {
    public:
        explicit Run(Statement& statement) noexcept : statement_(statement) {}
        ~Run() { statement_.reset(); }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        Statement& statement_;
    };

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

FCPDatabaseConnection::FCPDatabaseConnection(std::string path) : path_(std::move(path)) {
    const std::string uri = uriFilename(path_);
    sqlite3* handle = nullptr;
    const int result = sqlite3_open_v2(uri.c_str(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (result != SQLITE_OK || handle == nullptr) {
        const std::string message = handle != nullptr ? sqlite3_errmsg(handle) : "Unknown error";
        sqlite3_close(handle);
        throw FCPDatabaseError(FCPDatabaseError::Kind::connectionFailed, message);
    }
    db_ = handle;
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
}

FCPDatabaseConnection::~FCPDatabaseConnection() {
    for (auto& statement : fixed_) statement.reset();  // statements must be finalised before the close
    sqlite3_close(db_);
}

std::string FCPDatabaseConnection::errorMessage() const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : "Unknown error";
}

std::vector<FCPDatabaseConnection::Row> FCPDatabaseConnection::query(const std::string& sql,
                                                                     const std::vector<Parameter>& params) {
    Statement statement(db_, sql.c_str());
    for (std::size_t i = 0; i < params.size() && i < static_cast<std::size_t>(std::numeric_limits<int>::max()); ++i)
        statement.bind(static_cast<int>(i + 1), params[i]);

    sqlite3_stmt* raw = statement.get();
    const int columnCount = sqlite3_column_count(raw);
    std::vector<Row> rows;
    while (statement.step()) {
        Row row;
        for (int column = 0; column < columnCount; ++column) {
            const char* name = sqlite3_column_name(raw, column);
            const std::string key = name != nullptr ? name : "";
            std::optional<Value> value;
            switch (sqlite3_column_type(raw, column)) {
            case SQLITE_INTEGER: value = sqlite3_column_int64(raw, column); break;
            case SQLITE_FLOAT: value = sqlite3_column_double(raw, column); break;
            case SQLITE_TEXT:
                if (auto text = textColumn(raw, column)) value = std::move(*text);
                break;
            case SQLITE_BLOB:
                if (auto blob = blobColumn(raw, column)) value = std::move(*blob);
                break;
            default: break;
            }
            if (value) {
                row.insert_or_assign(key, std::move(*value));
            } else {
                row.erase(key);  // a later NULL column of the same name still replaces the earlier value
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

FCPDatabaseConnection::Statement& FCPDatabaseConnection::fixedStatement(Fixed which) {
    static constexpr const char* kSQL[] = {
        "SELECT c.Z_PK, c.ZIDENTIFIER, cm.ZDICTIONARYDATA\nFROM ZCOLLECTION c\n"
        "LEFT JOIN ZCOLLECTIONMD cm ON cm.ZCOLLECTION = c.Z_PK\nWHERE c.ZTYPE = ?",
        "SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?",
        "SELECT Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS WHERE Z_3PARENTCOLLECTIONS = ?",
        "SELECT ZTYPE, ZIDENTIFIER, ZNAME FROM ZCOLLECTION WHERE Z_PK = ?",
        "SELECT c.Z_PK AS pk FROM Z_3CHILDCOLLECTIONS j\nJOIN ZCOLLECTION c ON c.Z_PK = j.Z_3CHILDCOLLECTIONS\n"
        "WHERE j.Z_3PARENTCOLLECTIONS = ? AND c.ZNAME = ? LIMIT 1",
        "SELECT Z_PK AS pk FROM ZCOLLECTION WHERE ZIDENTIFIER = ? LIMIT 1",
    };
    static_assert(std::size(kSQL) == static_cast<std::size_t>(Fixed::count));
    auto& slot = fixed_[static_cast<int>(which)];
    if (!slot) slot = std::make_unique<Statement>(db_, kSQL[static_cast<int>(which)]);
    return *slot;
}

std::vector<FCPDatabaseConnection::CollectionRow> FCPDatabaseConnection::fetchCollections(const std::string& ofType) {
    Statement& statement = fixedStatement(Fixed::collectionsOfType);
    Statement::Run run(statement);
    statement.bind(1, ofType);
    std::vector<CollectionRow> rows;
    while (statement.step()) {
        CollectionRow row;
        row.pk = integerColumn(statement.get(), 0).value_or(0);
        row.identifier = textColumn(statement.get(), 1);
        row.blob = blobColumn(statement.get(), 2);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<Data> FCPDatabaseConnection::fetchBlob(std::int64_t forCollectionPK) {
    Statement& statement = fixedStatement(Fixed::blob);
    Statement::Run run(statement);
    statement.bind(1, forCollectionPK);
    if (!statement.step()) return std::nullopt;
    return blobColumn(statement.get(), 0);
}

std::optional<BlobDecoder::DecodedBlob> FCPDatabaseConnection::fetchDecodedBlob(std::int64_t forCollectionPK) noexcept {
    try {
        const auto data = fetchBlob(forCollectionPK);
        if (!data) return std::nullopt;
        return BlobDecoder::decode(*data);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::vector<std::int64_t> FCPDatabaseConnection::fetchChildPKs(std::int64_t ofParent) {
    Statement& statement = fixedStatement(Fixed::childPKs);
    Statement::Run run(statement);
    statement.bind(1, ofParent);
    std::vector<std::int64_t> children;
    while (statement.step()) {
        if (const auto pk = integerColumn(statement.get(), 0)) children.push_back(*pk);
    }
    return children;
}

FCPDatabaseConnection::CollectionInfo FCPDatabaseConnection::fetchCollectionInfo(std::int64_t pk) {
    Statement& statement = fixedStatement(Fixed::collectionInfo);
    Statement::Run run(statement);
    statement.bind(1, pk);
    if (!statement.step()) return {};
    return {textColumn(statement.get(), 0), textColumn(statement.get(), 1), textColumn(statement.get(), 2)};
}

std::optional<std::int64_t> FCPDatabaseConnection::childPK(std::int64_t ofParent, const std::string& named) noexcept {
    try {
        Statement& statement = fixedStatement(Fixed::childNamed);
        Statement::Run run(statement);
        statement.bind(1, ofParent);
        statement.bind(2, named);
        if (!statement.step()) return std::nullopt;
        return integerColumn(statement.get(), 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::int64_t> FCPDatabaseConnection::pkForIdentifier(const std::string& identifier) noexcept {
    try {
        Statement& statement = fixedStatement(Fixed::pkForIdentifier);
        Statement::Run run(statement);
        statement.bind(1, identifier);
        if (!statement.step()) return std::nullopt;
        return integerColumn(statement.get(), 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::int64_t> FCPDatabaseConnection::resolveActivePick(std::int64_t ofStackPK) noexcept {
    const auto variant = childPK(ofStackPK, "activeVariant");
    if (!variant) return std::nullopt;
    try {
        const auto picks = fetchChildPKs(*variant);
        if (picks.empty()) return std::nullopt;
        return picks.front();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace brimlock
